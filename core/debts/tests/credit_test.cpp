#include "core/debts/credit.h"

#include <gtest/gtest.h>

#include <random>

#include "storage/errors.h"
#include "storage/locale.h"
#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::Day;
using testing::W;

std::string Bytes(const CreditList& list) {
    MemoryStream stream;
    WriteCreditList(list, stream);
    return stream.ToString();
}

TCreditNote Debt(int kind, const std::string& who, const std::string& what, DateTime due = 0) {
    return TCreditNote(kind, who, what, 0, due);
}

// --- The "Credit" stream --------------------------------------------------------------------

TEST(CreditStream, LaysOutTheFieldsInOrder) {
    CreditList list;
    list.Add(TCreditNote(2, "A", "", 0.25, -1.0));
    std::string expected("\x01\0\0\0" "\x02\0\0\0" "\x01\0\0\0\0A" "\0\0\0\0", 18);
    const double create = 0.25, due = -1.0;
    expected.append(reinterpret_cast<const char*>(&create), 8);
    expected.append(reinterpret_cast<const char*>(&due), 8);
    EXPECT_EQ(Bytes(list), expected);
}

TEST(CreditStream, RoundTripKeepsKindsDatesAndBytes) {
    CreditList list;
    list.Add(TCreditNote(1, W("Петров И."), W("100 руб."), Day(2026, 1, 5) + 0.5, Day(2026, 2, 1)));
    list.Add(TCreditNote(2, "", W("книга"), 0, 0));
    list.Add(TCreditNote(-7, "x", "y", NAN, 1e300));
    const std::string bytes = Bytes(list);
    MemoryStream in(bytes);
    CreditList loaded;
    ReadCreditList(in, loaded);
    ASSERT_EQ(loaded.Count(), 3u);
    EXPECT_EQ(loaded[0].Kind, 1);
    EXPECT_EQ(loaded[0].Person, W("Петров И."));
    EXPECT_EQ(loaded[0].Name, W("100 руб."));
    EXPECT_EQ(loaded[0].CreateDate, Day(2026, 1, 5) + 0.5);
    EXPECT_EQ(loaded[0].ReturnDate, Day(2026, 2, 1));
    EXPECT_EQ(loaded[2].Kind, -7);
    EXPECT_EQ(Bytes(loaded), bytes);
}

TEST(CreditStream, DamagedStreamsKeepTheDebtsReadBefore) {
    CreditList list;
    list.Add(Debt(1, "first", "a"));
    list.Add(Debt(2, "second", "b"));
    const std::string bytes = Bytes(list);
    CreditList one;
    one.Add(list[0]);
    const std::size_t firstEnd = Bytes(one).size();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        MemoryStream in(bytes.substr(0, cut));
        CreditList loaded;
        EXPECT_THROW(ReadCreditList(in, loaded), EStreamReadError) << cut;
        EXPECT_EQ(loaded.Count(), cut >= firstEnd ? 1u : 0u) << cut;
    }
    MemoryStream negative(std::string("\xFF\xFF\xFF\xFF", 4));
    CreditList none;
    EXPECT_THROW(ReadCreditList(negative, none), ECorruptFile);
    EXPECT_TRUE(none.Empty());

    MemoryStream trailing(bytes + std::string(1, '\0'));
    CreditList both;
    EXPECT_THROW(ReadCreditList(trailing, both), ECorruptFile);
    EXPECT_EQ(both.Count(), 2u);  // what was read stays
}

// --- Days left and lines --------------------------------------------------------------------

TEST(DaysLeftText, CountsTheDueDayAndMarksOverdue) {
    const DateTime now = Day(2026, 12, 7) + 0.75;
    const struct {
        DateTime due;
        const char* withMark;
        const char* withoutMark;
    } cases[] = {
        {Day(2026, 12, 7), "1", "1"},           // due today, earlier in the day
        {Day(2026, 12, 7) + 0.99, "1", "1"},    // due today, later in the day
        {Day(2026, 12, 8), "2", "2"},           // tomorrow
        {Day(2027, 12, 7), "366", "366"},
        {Day(2026, 12, 6) + 0.99, "!", ""},     // yesterday
        {Day(2020, 1, 1), "!", ""},
        {NAN, "!", ""},
        {INFINITY, "!", ""},                    // stored values that are no date at all
        {-INFINITY, "!", ""},
        {1e300, "!", ""},
        {Day(9999, 12, 31), "2912103", "2912103"},  // the last day there is
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DaysLeftText(c.due, "!", now), c.withMark) << c.due;
        EXPECT_EQ(DaysLeftText(c.due, "", now), c.withoutMark) << c.due;
    }
    testing::FrozenClockAndReports clock(now);
    EXPECT_EQ(DaysLeftText(Day(2026, 12, 9), W("Просрочен")), "3");
    EXPECT_EQ(DaysLeftText(Day(2026, 12, 1), W("Просрочен")), W("Просрочен"));
}

TEST(CreditLines, FourColumnsOfOneKindInListOrder) {
    testing::FrozenClockAndReports clock(Day(2026, 12, 7) + 0.5);
    SetLocale(std::make_unique<FixedLocale>(','));
    CreditList list;
    list.Add(Debt(1, W("Яшин"), W("100 $"), Day(2026, 12, 7)));
    list.Add(Debt(2, W("Борисов"), W("книга"), Day(2026, 12, 20)));
    list.Add(Debt(1, W("Агеев"), W("дрель"), Day(2026, 11, 30)));
    list.Add(Debt(3, "other", "kind", Day(2026, 12, 20)));
    list.Add(Debt(1, W("Ким; Ли"), W("5 $; 3 руб"), INFINITY));
    using Cells = std::array<std::string, 4>;
    const DateTime now = Now();
    const auto cells = [&](const ListLine& line) {
        return CreditCells(*list.Resolve(line), "--", now);
    };
    const auto lines = UpDateListBox(list, kOwedToMe);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(cells(lines[0]), (Cells{W("Яшин"), W("100 $"), "07.12.2026", "1"}));
    EXPECT_EQ(cells(lines[1]), (Cells{W("Агеев"), W("дрель"), "30.11.2026", "--"}));
    // A ";" stays inside its cell; a due date that is no date shows no date and is overdue.
    EXPECT_EQ(cells(lines[2]), (Cells{W("Ким; Ли"), W("5 $; 3 руб"), "", "--"}));
    EXPECT_EQ(list.Resolve(lines[1]), &list[2]);
    EXPECT_EQ(list[3].Index, 3);
    const auto mine = UpDateListBox(list, kIOwe);
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(cells(mine[0]), (Cells{W("Борисов"), W("книга"), "20.12.2026", "14"}));
    SetLocale(nullptr);
}

// --- Sorting --------------------------------------------------------------------------------

std::string Order(const CreditList& list) {
    std::string order;
    for (std::size_t i = 0; i < list.Count(); ++i) order += list[i].Name;
    return order;
}

TEST(SortedCreditList, ByNameWorkedOutByHand) {
    // Person keys b a c a b, subjects 0..4 tell the records apart. First pass over 0..4:
    // pivot "c" (position 2); i stops at 2, j at 4: swap -> b a b a c; i=3, j=3; i runs to 4,
    // j stays 3: range 0..3 left, nothing right. Range 0..3 (b a b a), pivot "a" (position 1):
    // swap 0,3 -> a a b b (records 3 1 4 0), i=1 j=2; j back to 1, swap 1,1; i=2 j=0. Then
    // 2..3 (b b: records 4 0), pivot "b": swap 2,3 -> records 0 4. Result 3 1 0 4 2.
    CreditList list;
    list.Add(Debt(1, "b", "0"));
    list.Add(Debt(2, "a", "1"));
    list.Add(Debt(1, "c", "2"));
    list.Add(Debt(2, "a", "3"));
    list.Add(Debt(1, "b", "4"));
    EXPECT_TRUE(SortedCreditList(list, 1));
    EXPECT_EQ(Order(list), "31042");  // equal names: 1 and 3 swapped, 0 and 4 kept
    EXPECT_EQ(list[0].Kind, 2);       // both kinds are reordered together
    EXPECT_EQ(list[2].Kind, 1);
}

TEST(SortedCreditList, ByDateIgnoresTheTimeOfDayWorkedOutByHand) {
    // Whole days 3 1 2 1 (records a b c d; d later in its day than b). Pass 0..3: pivot 1
    // (position 1); i stays 0, j stays 3: swap -> d b c a, i=1 j=2; j back to 1, swap 1,1;
    // i=2 j=0. Pass 2..3: pivot 2; j back to 2, swap 2,2; done. Result d b c a.
    CreditList list;
    list.Add(Debt(1, "", "a", 3.2));
    list.Add(Debt(1, "", "b", 1.1));
    list.Add(Debt(2, "", "c", 2.0));
    list.Add(Debt(2, "", "d", 1.9));
    EXPECT_TRUE(SortedCreditList(list, 3));
    EXPECT_EQ(Order(list), "dbca");  // d before b although b was first and is earlier
}

TEST(SortedCreditList, BySubjectCaseIgnored) {
    CreditList list;
    list.Add(Debt(1, "", W("Дрель")));
    list.Add(Debt(1, "", W("велосипед")));
    list.Add(Debt(2, "", W("Альбом")));
    list.Add(Debt(2, "", "100 $"));
    EXPECT_TRUE(SortedCreditList(list, 2));
    EXPECT_EQ(Order(list), W("100 $Альбомвелосипед") + W("Дрель"));
}

TEST(SortedCreditList, OtherTagsChangeNothing) {
    CreditList list;
    list.Add(Debt(1, "b", "0"));
    list.Add(Debt(1, "a", "1"));
    EXPECT_FALSE(SortedCreditList(list, 0));
    EXPECT_FALSE(SortedCreditList(list, 4));
    EXPECT_EQ(Order(list), "01");
}

TEST(SortedCreditList, LargeListsEndSortedAndKeepEveryRecord) {
    std::mt19937 random(7);
    for (int tag : {1, 3}) {
        CreditList list;
        for (int i = 0; i < 3000; ++i) {
            const int key = static_cast<int>(random() % 50);  // many equal keys
            list.Add(Debt(1 + i % 2, std::string(1, static_cast<char>('a' + key % 26)) +
                                         std::to_string(key / 26),
                          std::to_string(i), key + (random() % 100) / 100.0));
        }
        EXPECT_TRUE(SortedCreditList(list, tag));
        std::vector<bool> seen(3000);
        for (std::size_t i = 0; i < list.Count(); ++i) seen[std::stoi(list[i].Name)] = true;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 3000);
        for (std::size_t i = 1; i < list.Count(); ++i) {
            if (tag == 1) {
                ASSERT_LE(CompareNoCase(list[i - 1].Person, list[i].Person), 0) << i;
            } else {
                ASSERT_LE(std::trunc(list[i - 1].ReturnDate), std::trunc(list[i].ReturnDate)) << i;
            }
        }
    }
}

TEST(SortedCreditList, DueDatesThatAreNotNumbersSortFirst) {
    CreditList list;
    list.Add(Debt(1, "", "a", 5));
    list.Add(Debt(1, "", "b", NAN));
    list.Add(Debt(1, "", "c", 2));
    EXPECT_TRUE(SortedCreditList(list, 3));
    EXPECT_EQ(Order(list), "bca");
}

// --- Names from the address book ------------------------------------------------------------

TEST(DebtorNames, ShortNamesOfEveryContactAlphabetically) {
    AddressList contacts;
    EXPECT_TRUE(DebtorNames(contacts).empty());
    contacts.Add(Contact(W("Яшин"), W("Лев"), W("Иванович"), 0, "", "", "", "", "", {}, 0));
    contacts.Add(Contact(W("Агеев"), W("О"), "", 0, "", "", "", "", "", {}, 255));
    contacts.Add(Contact(W("агеев"), W("Олег"), "", 0, "", "", "", "", "", {}, 1));
    EXPECT_EQ(DebtorNames(contacts), (StrList{W("Агеев"), W("агеев О."), W("Яшин Л. И.")}));
}

}  // namespace
}  // namespace pomix
