#include "core/addressbook/address.h"

#include <gtest/gtest.h>

#include "storage/errors.h"
#include "storage/locale.h"
#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::Day;
using testing::W;

Contact MakeContact(const std::string& surname, const std::string& firstName,
                    const std::string& patronymic, std::uint8_t category = kPersonalCategory,
                    DateTime date = 0) {
    return Contact(surname, firstName, patronymic, date, "", "", "", "", "", {}, category);
}

std::string Bytes(const AddressList& list) {
    MemoryStream stream;
    WriteAddressList(list, stream);
    return stream.ToString();
}

std::vector<std::string> Texts(const std::vector<ListLine>& lines) {
    std::vector<std::string> texts;
    for (const auto& line : lines) texts.push_back(line.Text);
    return texts;
}

// --- The "Abook" stream ---------------------------------------------------------------------

TEST(AbookStream, LaysOutEveryFieldInOrder) {
    AddressList list;
    list.Add(Contact("A", "", "", 1.5, "", "", "", "", "", {}, kNoCategory));
    std::string expected("\x01\0\0\0", 4);           // count
    expected += std::string("\x01\0\0\0\0A", 6);     // Famile
    expected += std::string(8, '\0');                // FistName, LastName
    const double date = 1.5;
    expected += std::string(reinterpret_cast<const char*>(&date), 8);
    expected += std::string(20, '\0');               // Address, Tel1, Tel2, Email, URL
    expected += "\xFF\xFF\xFF\xFF";                  // Note: empty list
    expected += "\xFF";                              // Category 255
    EXPECT_EQ(Bytes(list), expected);
}

TEST(AbookStream, EveryFieldAndAnyCategoryByteSurvivesARoundTrip) {
    AddressList list;
    list.Add(Contact(W("Петров"), W("Иван"), W("Сергеевич"), Day(1960, 12, 31),
                     W("Москва, ул. Ленина, 1"), "123-45-67", "+7 900", "ivan@example.ru",
                     "www.example.ru", {W("первая"), "", W("третья")}, kBusinessCategory));
    list.Add(Contact("", "", "", 0, "", "", "", "", "", {}, kNoCategory));
    list.Add(MakeContact("Z", "", "", 7));
    const std::string bytes = Bytes(list);

    MemoryStream in(bytes);
    AddressList loaded;
    ReadAddressList(in, loaded);
    ASSERT_EQ(loaded.Count(), 3u);
    const Contact& a = loaded[0];
    EXPECT_EQ(a.Surname, W("Петров"));
    EXPECT_EQ(a.FirstName, W("Иван"));
    EXPECT_EQ(a.Patronymic, W("Сергеевич"));
    EXPECT_EQ(a.Date, Day(1960, 12, 31));
    EXPECT_EQ(a.Address, W("Москва, ул. Ленина, 1"));
    EXPECT_EQ(a.Tel1, "123-45-67");
    EXPECT_EQ(a.Tel2, "+7 900");
    EXPECT_EQ(a.Email, "ivan@example.ru");
    EXPECT_EQ(a.URL, "www.example.ru");
    EXPECT_EQ(a.Note, (StrList{W("первая"), "", W("третья")}));
    EXPECT_EQ(a.Category, kBusinessCategory);
    EXPECT_EQ(loaded[1].Category, kNoCategory);
    EXPECT_EQ(loaded[2].Category, 7);
    EXPECT_EQ(Bytes(loaded), bytes);  // saved unchanged: the same bytes
}

TEST(AbookStream, EmptyListAndNegativeCountsHoldNoRecords) {
    AddressList list;
    EXPECT_EQ(Bytes(list), std::string(4, '\0'));
    MemoryStream empty(Bytes(list));
    ReadAddressList(empty, list);
    EXPECT_TRUE(list.Empty());
    MemoryStream negative(std::string("\xFE\xFF\xFF\xFF" "garbage", 11));
    EXPECT_NO_THROW(ReadAddressList(negative, list));
    EXPECT_TRUE(list.Empty());
}

TEST(AbookStream, CutAnywhereKeepsTheWholeRecordsBeforeTheCut) {
    AddressList list;
    list.Add(Contact("A", "B", "C", 2, "D", "E", "F", "G", "H", {"n1", "n2"}, 0));
    list.Add(Contact("I", "", "", 3, "", "", "", "", "", {}, 1));
    list.Add(Contact("J", "K", "", 4, "", "", "", "", "", {"x"}, 255));
    // Record ends, found by writing the prefixes.
    std::vector<std::size_t> ends;
    for (std::size_t n = 1; n <= 3; ++n) {
        AddressList prefix;
        for (std::size_t i = 0; i < n; ++i) prefix.Add(list[i]);
        ends.push_back(Bytes(prefix).size());
    }
    std::string bytes = Bytes(list);
    ASSERT_EQ(ends.back(), bytes.size());
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        MemoryStream in(bytes.substr(0, cut));
        AddressList loaded;
        EXPECT_THROW(ReadAddressList(in, loaded), EStreamReadError) << "cut " << cut;
        std::size_t whole = 0;
        while (whole < ends.size() && ends[whole] <= cut) ++whole;
        EXPECT_EQ(loaded.Count(), whole) << "cut " << cut;
    }
}

TEST(AbookStream, HugeLengthsDoNotReadBeyondTheStream) {
    // Count 1000000, then a surname length of 2^31-1 with five bytes behind it.
    MemoryStream in(std::string("\x40\x42\x0F\x00\xFF\xFF\xFF\x7F\0abcd", 13));
    AddressList list;
    EXPECT_THROW(ReadAddressList(in, list), EStreamReadError);
    EXPECT_TRUE(list.Empty());
}

// --- List lines -----------------------------------------------------------------------------

TEST(AddressLines, CategoryFilterAndAllCategories) {
    AddressList list;
    list.Add(MakeContact("Personal", "", "", kPersonalCategory));
    list.Add(MakeContact("Business", "", "", kBusinessCategory));
    list.Add(MakeContact("Nobody", "", "", kNoCategory));
    list.Add(MakeContact("Other", "", "", 9));
    EXPECT_EQ(Texts(UpDateListBox(list, kPersonalCategory)), (std::vector<std::string>{"Personal"}));
    EXPECT_EQ(Texts(UpDateListBox(list, kBusinessCategory)), (std::vector<std::string>{"Business"}));
    EXPECT_EQ(Texts(UpDateListBox(list, kAllCategories)),
              (std::vector<std::string>{"Business", "Nobody", "Other", "Personal"}));
}

TEST(AddressLines, ShortNamesInCaseInsensitiveOrderAndIndexRewritten) {
    AddressList list;
    list.Add(MakeContact(W("Сидоров"), W("Пётр"), W("Ильич")));
    list.Add(MakeContact(W("петров"), W("Иван"), W("Сергеевич")));
    list.Add(MakeContact(W("Абрамов"), W("Я"), W("Б")));  // one-letter names give no initials
    list.Add(MakeContact(W("Петров"), W("Иван"), ""));
    list[0].Index = list[1].Index = list[2].Index = list[3].Index = 99;
    const auto lines = UpDateListBox(list, kAllCategories);
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{W("Абрамов"), W("Петров И."),
                                                      W("петров И. С."), W("Сидоров П. И.")}));
    for (std::size_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list[i].Index, static_cast<int>(i));
    EXPECT_EQ(lines[0].Index, 2u);
    EXPECT_EQ(list.Resolve(lines[1]), &list[3]);
    EXPECT_EQ(list.Resolve(lines[2]), &list[1]);
}

TEST(AddressLines, EqualShortNamesEachReachTheirOwnRecord) {
    AddressList list;
    list.Add(Contact("Smith", "John", "", 0, "first", "", "", "", "", {}, 0));
    list.Add(Contact("Smith", "Jane", "", 0, "second", "", "", "", "", {}, 0));
    const auto lines = UpDateListBox(list, kAllCategories);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, "Smith J.");
    EXPECT_EQ(lines[1].Text, "Smith J.");
    EXPECT_EQ(list.Resolve(lines[0])->Address, "first");
    EXPECT_EQ(list.Resolve(lines[1])->Address, "second");
}

TEST(AddressLines, ALineOfADeletedRecordReachesNothing) {
    AddressList list;
    list.Add(MakeContact("A", "", ""));
    list.Add(MakeContact("B", "", ""));
    list.Add(MakeContact("C", "", ""));
    const auto lines = UpDateListBox(list, kAllCategories);  // A, B, C
    ASSERT_TRUE(list.Delete(lines[1]));
    EXPECT_EQ(list.Resolve(lines[1]), nullptr);  // position 1 now holds C
    EXPECT_FALSE(list.Delete(lines[1]));         // deleting twice removes nothing else
    EXPECT_EQ(list.Resolve(lines[2])->Surname, "C");
    EXPECT_EQ(list.Find(lines[2]), std::optional<std::size_t>(1));
    list.Add(MakeContact("D", "", ""));  // a new record at a freed position is not the old one
    ASSERT_TRUE(list.Delete(lines[2]));
    EXPECT_EQ(list.Resolve(lines[2]), nullptr);
    EXPECT_EQ(list.Count(), 2u);
}

TEST(AddressCategory, SelectorPositionsAndStoredBytes) {
    EXPECT_EQ(CategoryOfSelection(0), kPersonalCategory);
    EXPECT_EQ(CategoryOfSelection(1), kBusinessCategory);
    EXPECT_EQ(CategoryOfSelection(-1), kNoCategory);
    EXPECT_EQ(SelectionOfCategory(kPersonalCategory), 0);
    EXPECT_EQ(SelectionOfCategory(kBusinessCategory), 1);
    EXPECT_EQ(SelectionOfCategory(kNoCategory), -1);
    EXPECT_EQ(SelectionOfCategory(7), -1);
}

// --- Search ---------------------------------------------------------------------------------

class AddressSearch : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocale(std::make_unique<FixedLocale>(','));
        list.Add(Contact(W("Иванов"), W("Максим"), W("Петрович"), Day(1960, 12, 31),
                         W("Тверская 7"), "111", "222", "max@mail.ru", "max.ru",
                         {W("любит чай"), W("джаз")}, kBusinessCategory));
        list.Add(Contact(W("Смирнова"), W("Анна"), "", Day(1985, 3, 8), "", "333", "", "", "", {},
                         kNoCategory));
    }
    void TearDown() override { SetLocale(nullptr); }

    std::vector<std::string> Found(const std::string& pattern) {
        return Texts(RecordFound(list, W(pattern.c_str())));
    }
    AddressList list;
};

TEST_F(AddressSearch, EachSearchedFieldFindsItsRecord) {
    const std::string ivanov = W("Иванов М. П.");
    const struct {
        const char* pattern;
        bool found;
    } cases[] = {
        {"Иванов", true},     {"иванов", true},      {"Иван", false},   {"Иван*", true},
        {"Петрович", true},   {"Максим", false},     {"тверская 7", true}, {"111", true},
        {"222", true},        {"*1960*", true},      {"31 декабря 1960 г.", true},
        {"MAX@MAIL.RU", true}, {"max.ru", true},     {"джаз", true},    {"*чай", true},
        {"чай", false},       {"1960", false},
    };
    for (const auto& c : cases) {
        const bool found = RecordFound(list[0], W(c.pattern));
        EXPECT_EQ(found, c.found) << c.pattern;
    }
    EXPECT_EQ(Found("Иван*"), std::vector<std::string>{ivanov});
}

TEST_F(AddressSearch, FindsInEveryCategoryAndNothingForAnEmptyPattern) {
    EXPECT_EQ(Found("*33*"), (std::vector<std::string>{W("Смирнова А.")}));  // Tel1
    EXPECT_EQ(Found("*"), (std::vector<std::string>{W("Иванов М. П."), W("Смирнова А.")}));
    EXPECT_TRUE(Found("").empty());
    EXPECT_EQ(LongBirthDate(Day(1985, 3, 8)), W("8 марта 1985 г."));
}

TEST_F(AddressSearch, WeekdayNamesFindNobody) {
    // A locale whose long form carries the weekday: the birth date is still searched without.
    class WeekdayLocale : public FixedLocale {
    public:
        std::string LongDate(DateTime value) const override {
            return "Monday, " + FixedLocale::LongDate(value);
        }
        std::string LongDateNoWeekday(DateTime value) const override {
            return FixedLocale::LongDate(value);
        }
    };
    SetLocale(std::make_unique<WeekdayLocale>());
    EXPECT_TRUE(Found("*Monday*").empty());
    EXPECT_EQ(Found("*1985*"), std::vector<std::string>{W("Смирнова А.")});
    EXPECT_EQ(LongBirthDate(1e300), "");
}

// --- Lines kept between changes ----------------------------------------------------------------

TEST(ContactLines, GiveWhatAFreshBuildGivesUntilTheListChanges) {
    AddressList list;
    list.Add(MakeContact("Delta", "", "", kBusinessCategory));
    list.Add(MakeContact("alpha", "", "", kPersonalCategory));
    list.Add(MakeContact("Charlie", "", "", kNoCategory));
    list.Add(MakeContact("bravo", "", "", kBusinessCategory));
    ContactLines lines;
    for (int category : {kAllCategories, 0, 1, 7}) {
        EXPECT_EQ(Texts(*lines.Category(list, category)), Texts(UpDateListBox(list, category)))
            << category;
    }
    EXPECT_EQ(Texts(*lines.Category(list, kBusinessCategory)),
              (std::vector<std::string>{"bravo", "Delta"}));

    // A rename changes the order only once the change is announced; lines handed out before
    // (what the window shows) stay as they were.
    const auto before = lines.Category(list, kAllCategories);
    list[1].Surname = "echo";
    lines.Changed();
    EXPECT_EQ(Texts(*lines.Category(list, kAllCategories)),
              (std::vector<std::string>{"bravo", "Charlie", "Delta", "echo"}));
    EXPECT_EQ(Texts(*before), (std::vector<std::string>{"alpha", "bravo", "Charlie", "Delta"}));

    // A delete: every line reaches its own record again, Index values renumbered.
    list.Delete(0);
    lines.Changed();
    const auto all = lines.Category(list, kAllCategories);
    ASSERT_EQ(all->size(), 3u);
    for (const ListLine& line : *all) {
        ASSERT_NE(list.Resolve(line), nullptr);
        EXPECT_EQ(list.Resolve(line)->Surname, line.Text);
        EXPECT_EQ(list[line.Index].Surname, line.Text);
    }
}

TEST_F(AddressSearch, KeptLinesSearchLikeAFreshSearch) {
    list.Add(
        Contact("Alpha", "", "", Day(1999, 1, 1), "", "", "", "", "", {"x"}, kPersonalCategory));
    ContactLines lines;
    lines.Category(list, kPersonalCategory);
    for (const char* pattern : {"*", "*1*", "Иванов", "*Ч*", "", "nothing"}) {
        EXPECT_EQ(Texts(lines.Found(list, W(pattern))), Found(pattern)) << pattern;
    }
}

}  // namespace
}  // namespace pomix
