// The rules of the planner's main view: the day list, the planned days of the month grid,
// stepping months, the default span of the all-records list, and stepping the editor's time.
#pragma once

#include <string>
#include <vector>

#include "core/planner/event.h"

namespace pomix {

// The caption above the day list: the day in the locale's long form, trailing blanks removed.
std::string LongDayText(DateTime day);
// The description as the text box under the grid shows it: every line followed by CR LF.
std::string MemoText(const StrList& memo);

// "HH:MM Title" for the day list.
std::string DayLineText(const Event& event);
// Renumbers the list, then gives the lines of the events of the day in case-insensitive order
// of their text (by time, then title); lines that compare equal keep list order.
std::vector<EventLine> DayLines(EventList& list, DateTime day);
// Sorts lines the way the sorted list controls keep them (CompareNoCase of the text, stable).
void SortLines(std::vector<EventLine>& lines);

// The whole days of all events (valid dates only), ascending, each once: the days to mark.
std::vector<DateTime> PlannedDays(const EventList& list);

// The same day months later (negative: earlier), the day number lowered to the target month's
// length. A value that is no valid date is returned unchanged.
DateTime StepMonth(DateTime day, int months);

struct DaySpan {
    DateTime From = 0;
    DateTime To = 0;
};
// The span "Все записи" opens with: 1 January of today's year to today moved on by one month.
DaySpan DefaultSpan(DateTime today);

struct TimeStep {
    std::string Text;  // the new text of the time field
    int Caret = 0;     // 0 for the hours, 3 for the minutes; two characters from it are selected
};
// One step (+1 or -1) of the time field's arrows: in the minutes when the caret stands after
// position 2, else in the hours. Wraps past midnight both ways; a minute step carries into
// the hour. A malformed text is reported and the current moment stepped instead.
TimeStep UpdateTime(const std::string& timeText, int caret, int step);

}  // namespace pomix
