// Planner events to and from iCalendar files (RFC 5545), through libical.
//
// Written: one VCALENDAR, one VEVENT per event:
//   UID          stable: the same event (title, day, time, description) gets the same UID in
//                every export; identical events are told apart by their order
//   DTSTAMP      the moment of the export, UTC
//   DTSTART      the day and time as a floating local date-time (no time zone)
//   SUMMARY      the title; DESCRIPTION the description lines
//   CATEGORIES   "Выполнено" for a done event (calendars show categories as tags)
//   VALARM       DISPLAY alarm the lead minutes before the start, when the reminder is on
// An event whose day is no date, or lies after the year 3000 (libical's limit), cannot be
// written and is left out.
//
// Read: VEVENTs with a DTSTART that is floating, UTC, TZID-qualified or a whole day; times
// become the machine's local time (the wall clock is what the planner stores). A TZID is
// looked up in the file's VTIMEZONE blocks, then in the system's zone database, then as a
// Windows zone name ("Pacific Standard Time") through ICU's mapping. A recurring event is
// taken once, at its first occurrence that no EXDATE (or cancelled occurrence) removes; a
// changed occurrence whose series is in the file is part of that series, one whose series is
// not is an event of its own. VTODO, VJOURNAL and VFREEBUSY are left out.
//
// Reading is lenient: a line that is no property line, text outside the calendar, an END that
// closes nothing or a block never ended is left out and noted with its line; the rest is read.
#pragma once

#include <string>

#include "core/exchange/import_result.h"
#include "core/planner/event.h"

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

// One event as a calendar of its own, with the given UID: the object a calendar server keeps
// for one event. Empty when the event cannot be written (its day is no date or after 3000).
std::string WriteEventCalendar(const Event& event, const std::string& uid, int leadMinutes,
                               long long stampUtcSeconds);

// The UID that the export gives the event (occurrence counts the equal events before it).
std::string EventUid(const Event& event, int occurrence);

// Any bytes: UTF-8, UTF-16 (by byte-order mark or NUL pattern) or windows-1251 text. Raises
// FormatError only when the text holds no calendar block at all (or is binary data); also a
// calendar object of a server (one event with its time zones) reads this way. The records'
// UIDs are in Uids.
ImportResult<Event> ReadICalendar(const std::string& text);

}  // namespace pomix::dataio
