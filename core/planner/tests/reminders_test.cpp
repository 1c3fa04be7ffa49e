#include "core/planner/reminders.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/planner/tests/allocation_counter.h"
#include "core/planner/tests/planner_test_support.h"
#include "storage/locale.h"

namespace pomix {
namespace {

using testing::Day;
using testing::MakeEvent;
using testing::Texts;

using Lines = std::vector<std::string>;

DateTime At(int year, int month, int day, int hour, int minute) {
    return Day(year, month, day) + EncodeTime(hour, minute);
}

Event Reminded(const std::string& name, DateTime date, int hour, int minute) {
    return MakeEvent(name, date, EncodeTime(hour, minute), 1);
}

TEST(MinutesUntil, CountsDaysHoursAndMinutesNotSeconds) {
    const DateTime today = Day(2025, 3, 1);
    struct Case {
        DateTime date;
        int hour, minute;
        DateTime now;
        long long minutes;
    } cases[] = {
        {today + 1, 0, 10, today + EncodeTime(23, 20), 50},
        {today, 14, 0, today + EncodeTime(13, 45, 59), 15},
        {today, 14, 0, today + EncodeTime(14, 0, 30), 0},
        {today - 3, 9, 0, today + EncodeTime(9, 0), -3 * 24 * 60},
        {today + 0.7, 8, 0, today + EncodeTime(7, 0), 60},  // the date's own fraction is ignored
        {std::nan(""), 8, 0, today + EncodeTime(7, 0), 60},  // no valid date: times only
    };
    for (const Case& c : cases) {
        const Event event = Reminded("", c.date, c.hour, c.minute);
        EXPECT_EQ(MinutesUntil(event, c.now), c.minutes) << c.date << " " << c.hour << ":" << c.minute;
    }
}

class ReminderCheck : public ::testing::Test {
protected:
    void SetUp() override { SetLocale(std::make_unique<FixedLocale>()); }

    std::vector<std::string> DueNames(DateTime now, int lead) {
        DueEvents(planner.Events, now, lead, due);
        std::vector<std::string> names;
        for (const EventRef& ref : due) names.push_back(planner.Events.Find(ref)->Name);
        return names;
    }

    StreamContainer container;
    Planner planner{container, "/nonexistent/Calendar.dat"};
    std::vector<EventRef> due;
};

TEST_F(ReminderCheck, LeadTimeIsStrictAndPastEventsStayDue) {
    const DateTime today = Day(2025, 3, 1);
    planner.Events.Append(Reminded("at 14", today, 14, 0));
    planner.Events.Append(Reminded("tomorrow", today + 1, 0, 10));
    planner.Events.Append(Reminded("long past", today - 3, 12, 0));
    planner.Events.Append(MakeEvent("not reminded", today - 3, 0, 0));
    planner.Events.Append(MakeEvent("odd flag", today - 3, 0, 2));  // only exactly 1 reminds
    planner.Events.Append(MakeEvent("done", today - 1, 0, 1, 1));   // done is reminded too

    EXPECT_EQ(DueNames(today + EncodeTime(13, 46), 15), (Lines{"at 14", "long past", "done"}));
    EXPECT_EQ(DueNames(today + EncodeTime(13, 45), 15), (Lines{"long past", "done"}));
    EXPECT_EQ(DueNames(today + EncodeTime(23, 20), 60),
              (Lines{"at 14", "tomorrow", "long past", "done"}));
    EXPECT_TRUE(DueNames(today + EncodeTime(23, 20), 0).empty());
}

TEST_F(ReminderCheck, AFollowingCheckAllocatesNothing) {
    const DateTime today = Day(2025, 3, 1);
    for (int i = 0; i < 50; ++i) planner.Events.Append(Reminded("past", today - 1, 9, 0));
    DueEvents(planner.Events, today, 10, due);
    ASSERT_EQ(due.size(), 50u);
    const std::size_t before = testing::AllocationCount();
    DueEvents(planner.Events, today, 10, due);
    EXPECT_EQ(testing::AllocationCount(), before);  // no copy of the list, nothing per event
    EXPECT_EQ(due.size(), 50u);      // emptied first: never listed twice
}

TEST_F(ReminderCheck, LinesAreSortedByTextAndSkipDeletedEvents) {
    const DateTime now = At(2025, 3, 10, 12, 0);
    planner.Events.Append(Reminded("March", Day(2025, 3, 2), 9, 0));
    const EventRef gone = planner.Events.Append(Reminded("gone", Day(2025, 3, 1), 9, 0));
    planner.Events.Append(Reminded("February", Day(2025, 2, 10), 9, 0));
    DueEvents(planner.Events, now, 30, due);
    ASSERT_EQ(due.size(), 3u);
    ASSERT_TRUE(planner.DeleteEvent(gone));
    // The day of the month leads the text, so 02.03 comes before 10.02.
    EXPECT_EQ(Texts(ReminderLines(planner.Events, due)),
              (Lines{"02.03.2025 09:00;March", "10.02.2025 09:00;February"}));
}

TEST_F(ReminderCheck, PostponeAndDismissChangeTheEventAndSetModified) {
    const DateTime today = Day(2025, 3, 1);
    const EventRef past = planner.Events.Append(Reminded("past", today - 3, 9, 0));
    const EventRef other = planner.Events.Append(Reminded("other", today - 1, 9, 0));
    const DateTime now = today + EncodeTime(10, 0);

    ASSERT_TRUE(PostponeEvent(planner, past));
    EXPECT_TRUE(planner.Modified());
    EXPECT_EQ(planner.Events.Find(past)->Date, today - 2);
    EXPECT_EQ(DueNames(now, 15), (Lines{"past", "other"}));  // two days past: still due

    planner.ClearChanged();
    ASSERT_TRUE(DismissReminder(planner, other));
    EXPECT_TRUE(planner.Modified());
    EXPECT_EQ(planner.Events.Find(other)->Remind, 0);
    EXPECT_EQ(planner.Events.Find(other)->Done, 0);
    EXPECT_EQ(DueNames(now, 15), (Lines{"past"}));
}

TEST_F(ReminderCheck, CommandsOnADeletedEventsLineDoNothing) {
    const EventRef gone = planner.Events.Append(Reminded("gone", Day(2025, 3, 1), 9, 0));
    const EventRef kept = planner.Events.Append(Reminded("kept", Day(2025, 3, 1), 9, 0));
    DueEvents(planner.Events, Day(2025, 3, 2), 15, due);
    ASSERT_TRUE(planner.DeleteEvent(gone));
    planner.ClearChanged();
    EXPECT_FALSE(PostponeEvent(planner, gone));
    EXPECT_FALSE(DismissReminder(planner, gone));
    EXPECT_FALSE(planner.Modified());
    EXPECT_EQ(planner.Events.Find(kept)->Date, Day(2025, 3, 1));
    EXPECT_EQ(planner.Events.Find(kept)->Remind, 1);
}

}  // namespace
}  // namespace pomix
