#include "core/planner/day_rules.h"

#include <algorithm>

#include "storage/locale.h"
#include "storage/text.h"

namespace pomix {

std::string LongDayText(DateTime day) {
    std::string text = CurrentLocale().LongDate(day);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string MemoText(const StrList& memo) {
    std::string text;
    for (const std::string& line : memo) text += line + "\r\n";
    return text;
}

std::string DayLineText(const Event& event) {
    return TimeToText(event.Time) + " " + event.Name;
}

void SortLines(std::vector<EventLine>& lines) {
    SortByTextNoCase(lines, [](const EventLine& line) -> const std::string& { return line.Text; });
}

std::vector<EventLine> DayLines(EventList& list, DateTime day) {
    RenumberEvents(list);
    std::vector<EventLine> lines;
    DateTime shownDay;
    if (!WholeDay(day, shownDay)) return lines;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (IsEventOfDay(list[i], shownDay)) lines.push_back({DayLineText(list[i]), list.RefAt(i)});
    }
    SortLines(lines);
    return lines;
}

std::vector<DateTime> PlannedDays(const EventList& list) {
    std::vector<DateTime> days;
    days.reserve(list.Count());
    for (const Event& event : list) {
        DateTime day;
        if (WholeDay(event.Date, day)) days.push_back(day);
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

DateTime StepMonth(DateTime day, int months) {
    DateParts parts;
    if (!TryDecodeDate(day, parts)) return day;
    const int total = parts.year * 12 + (parts.month - 1) + months;
    const int year = total / 12, month = total % 12 + 1;
    DateTime result = day;
    if (year >= 1 && year <= 9999) {
        TryEncodeDate(year, month, std::min(parts.day, DaysInMonth(year, month)), result);
    }
    return result;
}

DaySpan DefaultSpan(DateTime today) {
    DaySpan span{today, StepMonth(today, 1)};
    DateParts parts;
    if (TryDecodeDate(today, parts)) TryEncodeDate(parts.year, 1, 1, span.From);
    return span;
}

TimeStep UpdateTime(const std::string& timeText, int caret, int step) {
    constexpr double kMsPerDay = 86'400'000.0;
    DateTime t = TextToTime(timeText);
    const bool inMinutes = caret > 2;
    const long long hours = inMinutes ? 0 : step;
    const long long minutes = inMinutes ? step : 0;
    t += static_cast<double>(hours / 24) +
         static_cast<double>((hours % 24) * 3'600'000 + minutes * 60'000) / kMsPerDay;
    if (t < 0) t += 1;
    return TimeStep{TimeToText(t), inMinutes ? 3 : 0};
}

}  // namespace pomix
