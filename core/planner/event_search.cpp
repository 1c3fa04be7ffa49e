#include "core/planner/event_search.h"

#include "storage/text.h"

namespace pomix {

std::vector<std::string> SpanLineCells(const Event& event) {
    return {LocaleDateText(event.Date), TimeToText(event.Time), event.Name};
}

std::string SpanLineText(const Event& event) {
    const std::vector<std::string> cells = SpanLineCells(event);
    return cells[0] + ";" + cells[1] + ";" + cells[2];
}

std::vector<EventLine> SpanLines(const EventList& list, DateTime from, DateTime to) {
    std::vector<EventLine> lines;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (IsEventInSpan(list[i], from, to)) lines.push_back({SpanLineText(list[i]), list.RefAt(i)});
    }
    return lines;
}

bool EventMatches(const Event& event, const std::string& pattern, SearchField field) {
    const auto byDate = [&] { return WildMatch(DateToText(event.Date), pattern, true); };
    const auto byTime = [&] { return WildMatch(TimeToText(event.Time), pattern, true); };
    const auto byName = [&] { return WildMatch(event.Name, pattern, true); };
    const auto byMemo = [&] { return LinesMatch(event.Memo, pattern); };
    switch (field) {
        case SearchField::Date: return byDate();
        case SearchField::Time: return byTime();
        case SearchField::Name: return byName();
        case SearchField::Memo: return byMemo();
        case SearchField::Everywhere: return byDate() || byTime() || byName() || byMemo();
    }
    return false;
}

std::vector<std::string> FoundLineCells(const Event& event, SearchField field) {
    const char* gap = field == SearchField::Everywhere ? "  " : " ";
    return {LocaleDateText(event.Date) + gap + TimeToText(event.Time), event.Name};
}

std::string FoundLineText(const Event& event, SearchField field) {
    const std::vector<std::string> cells = FoundLineCells(event, field);
    return cells[0] + ";" + cells[1];
}

bool Found(const EventList& list, const std::string& pattern, SearchField field,
           std::vector<EventLine>& results) {
    if (pattern.empty()) return false;
    results.clear();
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (EventMatches(list[i], pattern, field)) {
            results.push_back({FoundLineText(list[i], field), list.RefAt(i)});
        }
    }
    return true;
}

}  // namespace pomix
