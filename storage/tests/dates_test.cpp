#include "storage/dates.h"

#include <gtest/gtest.h>

#include <cmath>

#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::Day;
using testing::FrozenClockAndReports;

TEST(Dates, DayCountsMatchTheEpochAndTheCalendar) {
    EXPECT_EQ(Day(1899, 12, 30), 0);
    EXPECT_EQ(Day(1900, 1, 1), 2);
    EXPECT_EQ(Day(2000, 1, 1), 36526);
    EXPECT_EQ(Day(1, 1, 1), -693593);
    EXPECT_EQ(Day(9999, 12, 31), 2958465);
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(2000, 3, 1) - DaysFromCivil(2000, 2, 28), 2);
    // Months and days past their ends carry, both ways.
    EXPECT_EQ(DaysFromCivil(2024, 13, 1), DaysFromCivil(2025, 1, 1));
    EXPECT_EQ(DaysFromCivil(2024, 0, 0), DaysFromCivil(2023, 11, 30));
    EXPECT_EQ(DayOfWeek(Day(2026, 12, 7)), 0);  // a Monday
    EXPECT_EQ(DayOfWeek(Day(1899, 12, 30)), 5);
}

TEST(Dates, DayOfWeekOfAnyStoredValueIsAWeekday) {
    EXPECT_EQ(DayOfWeek(Day(1, 1, 1)), 0);  // 1 January 0001 was a Monday
    EXPECT_EQ(DayOfWeek(Day(1, 1, 1) - 1), 6);
    EXPECT_EQ(DayOfWeek(Day(2026, 12, 7) + 0.999), 0);
    EXPECT_EQ(DayOfWeek(Day(2026, 12, 7) - 0.001), 6);
    // Values a damaged file can hold: none may be cast out of range.
    for (const double odd : {std::nan(""), -std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e300,
                             9.3e18, -9.3e18, 4.5e15 + 0.5}) {
        const int day = DayOfWeek(odd);
        EXPECT_GE(day, 0) << odd;
        EXPECT_LE(day, 6) << odd;
    }
}

TEST(Dates, EncodeAndDecodeAgreeOverTheWholeRange) {
    // Every 97th day from year 1 to 9999, and the days around the range's ends.
    for (double d = -693593; d <= 2958465; d += 97) {
        DateParts p;
        ASSERT_TRUE(TryDecodeDate(d, p)) << d;
        DateTime back;
        ASSERT_TRUE(TryEncodeDate(p.year, p.month, p.day, back));
        ASSERT_EQ(back, d);
    }
    DateParts p;
    EXPECT_FALSE(TryDecodeDate(-693594, p));
    EXPECT_FALSE(TryDecodeDate(2958466, p));
    EXPECT_FALSE(TryDecodeDate(std::nan(""), p));
    DateTime v;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, v));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, v));
    EXPECT_FALSE(TryEncodeDate(0, 12, 31, v));
}

TEST(Dates, DateTextForms) {
    FrozenClockAndReports frozen(Day(2026, 12, 7) + 0.5);
    EXPECT_EQ(DateToText(Day(2026, 3, 5) + 0.75), "05.03.2026");
    EXPECT_EQ(DateToText(Day(3, 1, 2)), "02.01.0003");
    EXPECT_EQ(DateToText(Day(25, 3, 1)), "01.03.0025");
    EXPECT_EQ(TextToDate(DateToText(Day(25, 3, 1))), Day(25, 3, 1));  // reads back
    EXPECT_EQ(TextToDate("05.03.2026"), Day(2026, 3, 5));
    EXPECT_EQ(TextToDate("05/03/2026"), Day(2026, 3, 5));  // separators are not looked at
    EXPECT_EQ(TextToDate("01.01.03"), Day(3, 1, 1));       // a two-digit year is the year 3
    EXPECT_TRUE(frozen.reports.empty());
}

TEST(Dates, BadDateTextsAreReportedOnceAndGiveTheCurrentMoment) {
    const DateTime now = Day(2026, 12, 7) + 0.5;
    for (const char* text :
         {"31.02.2026", "  .  .    ", "00.01.2026", "1x.01.2026", "", "12.13.2026", "01.01.0"}) {
        FrozenClockAndReports frozen(now);
        EXPECT_EQ(TextToDate(text), now) << text;
        ASSERT_EQ(frozen.reports.size(), 1u) << text;
        EXPECT_EQ(frozen.reports[0], kIncorrectDateMessage);
    }
}

TEST(Dates, TryTextToDateReadsLikeTextToDateButNeverReports) {
    const DateTime now = Day(2026, 12, 7) + 0.5;
    FrozenClockAndReports frozen(now);
    DateTime value = -1;
    EXPECT_TRUE(TryTextToDate("29.02.2024", value));
    EXPECT_EQ(value, Day(2024, 2, 29));
    for (const char* text : {"29.02.2023", "  .  .    ", "", "1x.01.2026", "12.13.2026"}) {
        value = -1;
        EXPECT_FALSE(TryTextToDate(text, value)) << text;
        EXPECT_EQ(value, -1) << text;  // untouched, never the current moment
    }
    EXPECT_TRUE(frozen.reports.empty());
}

TEST(Dates, TimeTextForms) {
    FrozenClockAndReports frozen(0);
    EXPECT_EQ(TimeToText(Day(2026, 1, 1) + EncodeTime(9, 5)), "09:05");
    EXPECT_EQ(TimeToText(EncodeTime(23, 59, 59)), "23:59");
    EXPECT_EQ(TimeToText(1.0 - 1e-10), "00:00");  // rounds to the millisecond, then splits
    EXPECT_EQ(TextToTime("23:59"), EncodeTime(23, 59));
    EXPECT_EQ(TextToTime("07-30"), EncodeTime(7, 30));
    EXPECT_TRUE(frozen.reports.empty());
}

TEST(Dates, BadTimesAndUnsplittableValuesAreReported) {
    const DateTime now = Day(2026, 12, 7) + 0.25;
    for (const char* text : {"24:00", "12:60", "  :  ", "-1:30", "ab:cd", "25:61"}) {
        FrozenClockAndReports frozen(now);
        EXPECT_EQ(TextToTime(text), now) << text;
        EXPECT_EQ(frozen.reports, std::vector<std::string>{kIncorrectTimeMessage}) << text;
        DateTime value = -1;
        EXPECT_FALSE(TryTextToTime(text, value)) << text;
        EXPECT_EQ(value, -1) << text;
    }
    FrozenClockAndReports frozen(now);
    EXPECT_EQ(DateToText(1e12), "31.12.2000");
    EXPECT_EQ(TimeToText(std::nan("")), "12.00");
    EXPECT_EQ(frozen.reports.size(), 2u);
}

}  // namespace
}  // namespace pomix
