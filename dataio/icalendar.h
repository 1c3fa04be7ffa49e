// Planner events to and from iCalendar files (RFC 5545).
//
// Written: one VCALENDAR, one VEVENT per event:
//   UID          stable: the same event (title, day, time, description) gets the same UID in
//                every export; identical events are told apart by their order
//   DTSTAMP      the moment of the export, UTC
//   DTSTART      the day and time as a floating local date-time (no time zone)
//   SUMMARY      the title; DESCRIPTION the description lines
//   CATEGORIES   "Выполнено" for a done event (calendars show categories as tags)
//   VALARM       DISPLAY alarm the lead minutes before the start, when the reminder is on
// An event whose day is no date cannot be written and is left out.
//
// Read: VEVENTs with a DTSTART that is floating, UTC, TZID-qualified (by the file's
// VTIMEZONE blocks) or a whole day; times become the machine's local time. A recurring event
// is taken once, at its first occurrence; VTODO, VJOURNAL and VFREEBUSY are left out.
#pragma once

#include <string>

#include "dataio/import_result.h"
#include "planner/event.h"

namespace pomix::dataio {

inline constexpr int kDefaultLeadMinutes = 15;
inline constexpr const char* kDoneCategory = "Выполнено";

struct CalendarExport {
    std::string Text;                 // UTF-8, CR LF
    std::vector<ImportNote> Skipped;  // Line is the event's position (1-based)
    std::size_t Written = 0;
};

// stampUtcSeconds is DTSTAMP (seconds since 1970, UTC).
CalendarExport WriteICalendar(const EventList& list, int leadMinutes, long long stampUtcSeconds);

// The UID that the export gives the event (occurrence counts the equal events before it).
std::string EventUid(const Tevent& event, int occurrence);

// Raises FormatError when the text is not a well-formed iCalendar file.
ImportResult<Tevent> ReadICalendar(const std::string& text);

}  // namespace pomix::dataio
