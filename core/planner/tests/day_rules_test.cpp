#include "core/planner/day_rules.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/planner/tests/planner_test_support.h"
#include "storage/locale.h"

namespace pomix {
namespace {

using testing::Day;
using testing::FrozenClockAndReports;
using testing::MakeEvent;
using testing::Texts;

using Lines = std::vector<std::string>;

TEST(DayList, ShowsTheDaysEventsByTimeThenTitle) {
    FrozenClockAndReports frozen(Day(2025, 3, 1));
    const DateTime day = Day(2025, 3, 1);
    EventList list;
    list.Append(MakeEvent("other day", day + 1, EncodeTime(8, 0)));
    const EventRef late = list.Append(MakeEvent("b", day, EncodeTime(10, 0)));
    list.Append(MakeEvent("zeta", day, EncodeTime(9, 5)));
    const EventRef alpha = list.Append(MakeEvent("Alpha", day + 0.6, EncodeTime(9, 5)));
    list.Append(MakeEvent("previous", day - 0.001, EncodeTime(9, 5)));

    const std::vector<EventLine> lines = DayLines(list, day + 0.3);
    EXPECT_EQ(Texts(lines), (Lines{"09:05 Alpha", "09:05 zeta", "10:00 b"}));
    EXPECT_EQ(lines[0].Event, alpha);
    EXPECT_EQ(lines[2].Event, late);
    EXPECT_EQ(list.Find(lines[1].Event)->Name, "zeta");
    // The rebuild renumbers the list.
    for (std::size_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list[i].Index, static_cast<int>(i));
    EXPECT_TRUE(frozen.reports.empty());
}

TEST(DayList, EqualLinesKeepListOrderAndAnInvalidDayShowsNothing) {
    EventList list;
    const EventRef first = list.Append(MakeEvent("Same", 10, EncodeTime(7, 0)));
    const EventRef second = list.Append(MakeEvent("same", 10, EncodeTime(7, 0)));
    const std::vector<EventLine> lines = DayLines(list, 10);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Event, first);
    EXPECT_EQ(lines[1].Event, second);
    EXPECT_TRUE(DayLines(list, std::nan("")).empty());
}

TEST(DayCaptions, LongDateAndDescriptionText) {
    SetLocale(std::make_unique<FixedLocale>());
    EXPECT_EQ(LongDayText(Day(2025, 3, 1)), testing::W("1 марта 2025 г."));
    EXPECT_EQ(MemoText({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(MemoText({}), "");
}

TEST(PlannedDays, EveryEventsDayOnceInOrder) {
    EventList list;
    list.Append(MakeEvent("", Day(2025, 3, 2) + 0.5));
    list.Append(MakeEvent("", Day(2025, 1, 1), 0, 0, 1));  // done events are marked too
    list.Append(MakeEvent("", Day(2025, 3, 2)));
    list.Append(MakeEvent("", std::nan("")));
    EXPECT_EQ(PlannedDays(list), (std::vector<DateTime>{Day(2025, 1, 1), Day(2025, 3, 2)}));
    EXPECT_TRUE(PlannedDays(EventList{}).empty());
}

TEST(MonthStep, LowersTheDayToTheTargetMonth) {
    struct Case {
        DateTime from;
        int months;
        DateTime to;
    } cases[] = {
        {Day(2025, 1, 31), 1, Day(2025, 2, 28)},  {Day(2024, 1, 31), 1, Day(2024, 2, 29)},
        {Day(2025, 3, 31), -1, Day(2025, 2, 28)}, {Day(2024, 3, 31), -1, Day(2024, 2, 29)},
        {Day(2025, 5, 31), 1, Day(2025, 6, 30)},  {Day(2025, 12, 15), 1, Day(2026, 1, 15)},
        {Day(2025, 1, 15), -1, Day(2024, 12, 15)}, {Day(2025, 2, 28), 1, Day(2025, 3, 28)},
        {Day(9999, 12, 5), 1, Day(9999, 12, 5)},  // no month after December 9999
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StepMonth(c.from, c.months), c.to) << DateToText(c.from) << " " << c.months;
    }
}

TEST(MonthStep, DefaultSpanRunsFromNewYearToAMonthAhead) {
    DaySpan span = DefaultSpan(Day(2025, 1, 31));
    EXPECT_EQ(span.From, Day(2025, 1, 1));
    EXPECT_EQ(span.To, Day(2025, 2, 28));
    span = DefaultSpan(Day(2025, 12, 15));
    EXPECT_EQ(span.From, Day(2025, 1, 1));
    EXPECT_EQ(span.To, Day(2026, 1, 15));
}

TEST(TimeStepping, WrapsAndCarries) {
    FrozenClockAndReports frozen(Day(2025, 3, 1));
    struct Case {
        const char* text;
        int caret, step;
        const char* result;
        int newCaret;
    } cases[] = {
        {"23:30", 0, 1, "00:30", 0},  {"23:30", 2, 1, "00:30", 0},  // caret 2 is still the hours
        {"00:30", 1, -1, "23:30", 0}, {"00:00", 3, -1, "23:59", 3},
        {"10:59", 4, 1, "11:00", 3},  {"11:00", 5, -1, "10:59", 3},
        {"23:59", 3, 1, "00:00", 3},  {"12:00", 0, -1, "11:00", 0},
    };
    for (const Case& c : cases) {
        const TimeStep step = UpdateTime(c.text, c.caret, c.step);
        EXPECT_EQ(step.Text, c.result) << c.text << " caret " << c.caret << " step " << c.step;
        EXPECT_EQ(step.Caret, c.newCaret) << c.text;
    }
    EXPECT_TRUE(frozen.reports.empty());
}

TEST(TimeStepping, AMalformedTimeIsReportedAndTheCurrentMomentStepped) {
    FrozenClockAndReports frozen(Day(2025, 3, 1) + EncodeTime(14, 20));
    EXPECT_EQ(UpdateTime("  :  ", 0, 1).Text, "15:20");
    EXPECT_EQ(frozen.reports, std::vector<std::string>{kIncorrectTimeMessage});
}

}  // namespace
}  // namespace pomix
