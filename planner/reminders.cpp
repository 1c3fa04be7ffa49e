#include "planner/reminders.h"

#include <cmath>

#include "planner/day_rules.h"

namespace pomix {
namespace {

// The hour and minute of a value's time of day, 0:00 for one that is no number.
void HourMinute(DateTime value, long long& hour, long long& minute) {
    hour = minute = 0;
    if (!std::isfinite(value)) return;
    const TimeParts parts = DecodeTime(value);
    hour = parts.hour;
    minute = parts.minute;
}

}  // namespace

long long MinutesUntil(const Tevent& event, DateTime now) {
    DateTime eventDay, today;
    long long days = 0;
    if (WholeDay(event.Date, eventDay) && WholeDay(now, today)) {
        days = static_cast<long long>(eventDay - today);
    }
    long long eventHour, eventMinute, nowHour, nowMinute;
    HourMinute(event.Time, eventHour, eventMinute);
    HourMinute(now, nowHour, nowMinute);
    return (days * 24 + eventHour - nowHour) * 60 + eventMinute - nowMinute;
}

void DueEvents(const EventList& list, DateTime now, int lead, std::vector<EventRef>& due) {
    due.clear();
    if (lead == 0) return;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const Tevent& event = list[i];
        if (event.Remind == 1 && MinutesUntil(event, now) < lead) due.push_back(list.RefAt(i));
    }
}

std::string ReminderLineText(const Tevent& event) {
    return LocaleDateText(event.Date) + " " + TimeToText(event.Time) + ";" + event.Name;
}

std::vector<EventLine> ReminderLines(const EventList& list, const std::vector<EventRef>& due) {
    std::vector<EventLine> lines;
    lines.reserve(due.size());
    for (const EventRef& ref : due) {
        if (const Tevent* event = list.Find(ref)) lines.push_back({ReminderLineText(*event), ref});
    }
    SortLines(lines);
    return lines;
}

bool PostponeEvent(Planner& planner, EventRef ref) {
    Tevent* event = planner.Events.Find(ref);
    if (!event) return false;
    event->Date += 1;
    planner.Modified = true;
    return true;
}

bool DismissReminder(Planner& planner, EventRef ref) {
    Tevent* event = planner.Events.Find(ref);
    if (!event) return false;
    event->Remind = 0;
    planner.Modified = true;
    return true;
}

}  // namespace pomix
