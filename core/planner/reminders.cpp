#include "core/planner/reminders.h"

#include "core/planner/day_rules.h"

namespace pomix {
namespace {

// Minutes since midnight of a value's time of day, 0 for one that cannot be split.
long long MinuteOfDay(DateTime value) {
    const TimeParts parts = DecodeTime(value);
    return parts.hour * 60LL + parts.minute;
}

// What the check needs of the moment, worked out once instead of once per event.
struct Moment {
    explicit Moment(DateTime now) {
        valid = WholeDay(now, day);
        minute = MinuteOfDay(now);
    }
    DateTime day = 0;
    bool valid = false;
    long long minute = 0;
};

long long MinutesUntil(const Event& event, const Moment& now) {
    DateTime eventDay;
    const long long days =
        now.valid && WholeDay(event.Date, eventDay) ? static_cast<long long>(eventDay - now.day) : 0;
    return days * 24 * 60 + MinuteOfDay(event.Time) - now.minute;
}

}  // namespace

long long MinutesUntil(const Event& event, DateTime now) {
    return MinutesUntil(event, Moment(now));
}

void DueEvents(const EventList& list, DateTime now, int lead, std::vector<EventRef>& due) {
    due.clear();
    if (lead == 0) return;
    const Moment moment(now);
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const Event& event = list[i];
        if (event.Remind == 1 && MinutesUntil(event, moment) < lead) due.push_back(list.RefAt(i));
    }
}

std::vector<std::string> ReminderLineCells(const Event& event) {
    return {LocaleDateText(event.Date) + " " + TimeToText(event.Time), event.Name};
}

std::string ReminderLineText(const Event& event) {
    const std::vector<std::string> cells = ReminderLineCells(event);
    return cells[0] + ";" + cells[1];
}

std::vector<EventLine> ReminderLines(const EventList& list, const std::vector<EventRef>& due) {
    std::vector<EventLine> lines;
    lines.reserve(due.size());
    for (const EventRef& ref : due) {
        if (const Event* event = list.Find(ref)) lines.push_back({ReminderLineText(*event), ref});
    }
    SortLines(lines);
    return lines;
}

bool PostponeEvent(Planner& planner, EventRef ref) {
    Event* event = planner.Events.Find(ref);
    if (!event) return false;
    event->Date += 1;
    planner.MarkChanged();
    return true;
}

bool DismissReminder(Planner& planner, EventRef ref) {
    Event* event = planner.Events.Find(ref);
    if (!event) return false;
    event->Remind = 0;
    planner.MarkChanged();
    return true;
}

}  // namespace pomix
