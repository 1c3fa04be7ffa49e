#include "core/planner/event.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/planner/tests/planner_test_support.h"

namespace pomix {
namespace {

using testing::Day;
using testing::MakeEvent;
using testing::Names;

TEST(EventList, ReferencesFollowTheirEventAndDieWithIt) {
    EventList list;
    const EventRef a = list.Append(MakeEvent("a", Day(2025, 3, 1)));
    const EventRef b = list.Append(MakeEvent("b", Day(2025, 3, 2)));
    const EventRef c = list.Append(MakeEvent("c", Day(2025, 3, 3)));
    EXPECT_EQ(list.RefAt(1), b);

    list.Swap(0, 2);  // the references were taken before the move
    ASSERT_NE(list.Find(a), nullptr);
    EXPECT_EQ(list.Find(a)->Name, "a");
    EXPECT_EQ(list.PositionOf(a), 2);
    EXPECT_EQ(list.Find(c)->Name, "c");

    EXPECT_TRUE(list.Delete(b));
    EXPECT_EQ(list.Find(b), nullptr);
    EXPECT_FALSE(list.Delete(b));  // a second delete through a stale line does nothing
    EXPECT_EQ(list.Count(), 2u);

    // A new event at the dead reference's old position is not reached through it.
    const EventRef d = list.Append(MakeEvent("d", Day(2025, 3, 4)));
    list.Swap(1, 2);
    EXPECT_EQ(list.Find(b), nullptr);
    EXPECT_NE(d, b);
    EXPECT_EQ(list.Find(EventRef{}), nullptr);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "d", "a"}));
}

TEST(EventList, ReorderAndRenumber) {
    EventList list;
    for (const char* n : {"x", "y", "z"}) list.Append(MakeEvent(n, 1));
    list.Reorder({2, 0, 1});
    EXPECT_EQ(Names(list), (std::vector<std::string>{"z", "x", "y"}));
    RenumberEvents(list);
    for (std::size_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list[i].Index, static_cast<int>(i));
}

TEST(EventCompare, DatesCompareWholeDaysOnly) {
    const Event late = MakeEvent("", Day(2024, 12, 31) + 0.999);
    const Event early = MakeEvent("", Day(2025, 1, 1));
    const Event sameDay = MakeEvent("", Day(2024, 12, 31) + 0.001);
    EXPECT_EQ(CompareEventDates(late, early), -1);
    EXPECT_EQ(CompareEventDates(early, late), 1);
    EXPECT_EQ(CompareEventDates(late, sameDay), 0);
    EXPECT_EQ(CompareEventDates(MakeEvent("", Day(2025, 3, 1)), MakeEvent("", Day(2025, 1, 1))),
              59);
    // Values that are no dates still give a consistent sign.
    const Event nan = MakeEvent("", std::nan(""));
    const Event huge = MakeEvent("", std::numeric_limits<double>::infinity());
    EXPECT_EQ(CompareEventDates(nan, nan), 0);
    EXPECT_GT(CompareEventDates(huge, early), 0);
    EXPECT_LT(CompareEventDates(early, huge), 0);
    EXPECT_GT(CompareEventDates(MakeEvent("", 1e300), MakeEvent("", -1e300)), 0);
}

TEST(EventSelection, WholeDayAgreesWithTheDateRoutines) {
    const double kMs = 1.0 / 86'400'000;
    for (double v : {0.0, -0.5, 0.9999999999, 45000.75, -693593.0, -693593.5, -693593.0 - kMs / 4,
                     -693594.0, -693593.9999999999, 2958465.0, 2958465.9, 2958465.9999999999,
                     2958466.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e300,
                     -1e300}) {
        DateParts parts;
        DateTime day = -1;
        const bool valid = TryDecodeDate(v, parts);
        ASSERT_EQ(WholeDay(v, day), valid) << v;
        if (valid) {
            EXPECT_EQ(day, Day(parts.year, parts.month, parts.day)) << v;
        }
    }
}

TEST(EventSelection, DayIgnoresTheTimeAndNeedsValidDates) {
    const DateTime day = Day(2025, 3, 1);
    EXPECT_TRUE(IsEventOfDay(MakeEvent("", day), day + 0.75));
    // A date that a malformed text replaced by the current moment still has its day.
    EXPECT_TRUE(IsEventOfDay(MakeEvent("", day + 0.4), day));
    EXPECT_FALSE(IsEventOfDay(MakeEvent("", day + 1), day));
    EXPECT_FALSE(IsEventOfDay(MakeEvent("", day - 0.0001), day));
    EXPECT_FALSE(IsEventOfDay(MakeEvent("", std::nan("")), day));
    EXPECT_FALSE(IsEventOfDay(MakeEvent("", 3e6), 3e6));  // beyond the year 9999
}

TEST(EventSelection, SpanIncludesBothEnds) {
    const DateTime first = Day(2025, 3, 1);
    struct Case {
        DateTime date, from, to;
        bool inside;
    } cases[] = {
        {first, first, first, true},
        {first + EncodeTime(23, 59), first, first, true},
        {first + 1, first, first, false},
        {first - EncodeTime(0, 1), first, first, false},
        {first + 5, first, first + 5 + 0.5, true},
        {first, first + 0.9, first, true},  // the ends count as whole days too
        {first, first + 1, first, false},   // start after end: nothing
        {std::nan(""), first - 10, first + 10, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsEventInSpan(MakeEvent("", c.date), c.from, c.to), c.inside)
            << c.date << " in " << c.from << ".." << c.to;
    }
}

}  // namespace
}  // namespace pomix
