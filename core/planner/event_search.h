// The all-records list of a span of days and the search over all events.
#pragma once

#include <string>
#include <vector>

#include "core/planner/event.h"

namespace pomix {

// "<locale date>;HH:MM;Title": the three columns of the all-records list.
std::string SpanLineText(const Event& event);
// The same three columns as cells, for a list filled cell by cell.
std::vector<std::string> SpanLineCells(const Event& event);
// The events of from..to (both included) in list order.
std::vector<EventLine> SpanLines(const EventList& list, DateTime from, DateTime to);

// The five choices of the search panel, in the order of its radio buttons.
enum class SearchField { Date, Time, Name, Memo, Everywhere };

// Whole-field wildcard match, case ignored: the date as DD.MM.YYYY, the time as HH:MM, the
// title, some line of the description, or (Everywhere) any of them, tried in that order.
bool EventMatches(const Event& event, const std::string& pattern, SearchField field);
// "<locale date> HH:MM;Title", with two blanks before the time for Everywhere.
std::string FoundLineText(const Event& event, SearchField field);
// Its two columns as cells.
std::vector<std::string> FoundLineCells(const Event& event, SearchField field);

// The search command: with an empty pattern nothing happens (false, results kept); otherwise
// results becomes the lines of the matching events in list order.
bool Found(const EventList& list, const std::string& pattern, SearchField field,
           std::vector<EventLine>& results);

}  // namespace pomix
