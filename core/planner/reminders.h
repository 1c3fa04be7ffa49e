// The reminder check that runs once a minute, and the two commands of the reminder panel.
#pragma once

#include <string>
#include <vector>

#include "core/planner/event.h"
#include "core/planner/planner.h"

namespace pomix {

// Minutes from now to the event, by the event's day and its hour and minute (seconds take no
// part): 0 in the event's own minute, negative once it is past. When either day is not a valid
// date only the times of day are compared.
long long MinutesUntil(const Event& event, DateTime now);

// The events with Remind exactly 1 that are less than lead minutes away (past ones included),
// in list order, written into due (emptied first; its storage is reused, so a check that finds
// as many events as before allocates nothing). Nothing is due when lead is 0. Only reads the
// list: no copy is made and nothing is allocated per event.
void DueEvents(const EventList& list, DateTime now, int lead, std::vector<EventRef>& due);

// "<locale date> HH:MM;Title".
std::string ReminderLineText(const Event& event);
// Its two columns as cells.
std::vector<std::string> ReminderLineCells(const Event& event);
// The reminder panel's lines for the due events, ordered by text as the panel keeps them.
// References whose events are gone are left out.
std::vector<EventLine> ReminderLines(const EventList& list, const std::vector<EventRef>& due);

// "Перенести": the event one day later. "Не напоминать": Remind 0 (Done stays). Both set
// Modified; both do nothing and return false when the event has been deleted meanwhile.
bool PostponeEvent(Planner& planner, EventRef ref);
bool DismissReminder(Planner& planner, EventRef ref);

}  // namespace pomix
