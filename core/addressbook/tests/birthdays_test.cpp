#include "core/addressbook/birthdays.h"

#include <gtest/gtest.h>

#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::Day;
using testing::W;

// The birthday walk as users know it: day by day from today, at most horizon steps.
std::optional<int> Walk(int horizon, DateParts today, DateParts birth) {
    int y = today.year, m = today.month, d = today.day;
    for (int step = 0; step <= horizon; ++step) {
        if (m == birth.month && d == birth.day) return step;
        if (++d > DaysInMonth(y, m)) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
    return std::nullopt;
}

TEST(BirthdayWithin, AgreesWithTheDayByDayWalk) {
    const DateParts todays[] = {{2026, 12, 30}, {2027, 2, 28}, {2028, 2, 28}, {2028, 2, 29},
                                {2028, 3, 1},   {2096, 3, 1},  {2099, 12, 31}, {2026, 1, 1}};
    const DateParts births[] = {{1980, 1, 1},  {1980, 1, 2},  {1980, 2, 29}, {1970, 3, 1},
                                {1999, 12, 30}, {1999, 12, 31}, {1960, 12, 31}, {2001, 2, 28},
                                {1950, 6, 15}};
    const int horizons[] = {-1, 0, 1, 2, 7, 60, 365, 366, 1461, 3000};
    for (const auto& t : todays) {
        for (const auto& b : births) {
            for (int h : horizons) {
                const auto got = BirthdayWithin(h, Day(b.year, b.month, b.day) + 0.75,
                                                Day(t.year, t.month, t.day) + 0.5);
                EXPECT_EQ(got, Walk(h, t, b))
                    << t.day << "." << t.month << "." << t.year << " born " << b.day << "."
                    << b.month << " horizon " << h;
            }
        }
    }
}

TEST(BirthdayWithin, TheCasesUsersMeet) {
    const DateTime born29Feb = Day(1984, 2, 29);
    EXPECT_EQ(BirthdayWithin(7, Day(1980, 1, 2), Day(2026, 12, 30)), 3);  // across the year end
    EXPECT_EQ(BirthdayWithin(0, Day(1980, 12, 30), Day(2026, 12, 30)), 0);
    EXPECT_EQ(BirthdayWithin(-1, Day(1980, 12, 30), Day(2026, 12, 30)), std::nullopt);
    EXPECT_EQ(BirthdayWithin(1, born29Feb, Day(2027, 2, 28)), std::nullopt);  // 2027 no 29th
    EXPECT_EQ(BirthdayWithin(1, born29Feb, Day(2028, 2, 28)), 1);
    EXPECT_EQ(BirthdayWithin(400, born29Feb, Day(2027, 2, 28)), 366);
    EXPECT_EQ(BirthdayWithin(3000, born29Feb, Day(2096, 3, 1)), 2920);  // 2100 is not leap
    EXPECT_EQ(BirthdayWithin(2147483647, Day(1980, 1, 1), Day(9999, 12, 31)), 1);
    EXPECT_EQ(BirthdayWithin(10, 1e300, Day(2026, 1, 1)), std::nullopt);  // not a date
}

TEST(Birthdays, LinesInListOrderWithTodayAsAWord) {
    testing::FrozenClockAndReports clock(Day(2026, 12, 30) + 0.4);
    AddressList list;
    list.Add(Contact(W("Яковлев"), W("Иван"), "", Day(1990, 1, 2), "", "", "", "", "", {}, 0));
    list.Add(Contact(W("Белов"), "", "", Day(1970, 6, 1), "", "", "", "", "", {}, 1));
    list.Add(Contact(W("Антонов"), W("Олег"), W("Ян"), Day(1985, 12, 30), "", "", "", "", "", {},
                     kNoCategory));
    list.Add(Contact("a;b", "", "", Day(2000, 1, 1), "", "", "", "", "", {}, 0));
    // Day 0, 30.12.1899, is the empty date of a contact imported without one: never listed.
    list.Add(Contact("none", "", "", 0, "", "", "", "", "", {}, 0));
    const auto lines = BirthdayLines(list, 7, "Today");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Contact.Text, W("Яковлев И."));
    EXPECT_EQ(lines[0].When, "3");
    EXPECT_EQ(lines[1].Contact.Text, W("Антонов О. Я."));
    EXPECT_EQ(lines[1].When, "Today");
    EXPECT_EQ(list.Resolve(lines[1].Contact), &list[2]);
    EXPECT_EQ(lines[2].Contact.Text, "a;b");  // a ";" in a name stays in the name's cell
    EXPECT_EQ(lines[2].When, "2");
    EXPECT_EQ(BirthdayLines(list, 0, "Today").size(), 1u);
    EXPECT_TRUE(BirthdayLines(list, -5, "Today").empty());
}

TEST(Age, CountsYearsOnlyAndHidesWhenNotShown) {
    const DateTime born = Day(1960, 12, 31);
    {
        testing::FrozenClockAndReports clock(Day(2026, 1, 1));
        EXPECT_EQ(Age(born), 66);  // the birthday is still to come: years only
        EXPECT_EQ(AgeText(born, true), "66");
        EXPECT_EQ(AgeText(born, false), "");
    }
    testing::FrozenClockAndReports clock(Day(2026, 12, 31));
    EXPECT_EQ(Age(born), 66);
    EXPECT_EQ(AgeText(-1e300, true), "");
    EXPECT_EQ(AgeText(0, true), "");  // the empty date: no age of 127, no date shown
    EXPECT_EQ(LongBirthDate(0), "");
}

}  // namespace
}  // namespace pomix
