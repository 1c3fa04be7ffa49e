// The "Calendar" stream inside Calendar.dat (all numbers little-endian):
//
//   int32 count N, then N records, no gaps, in list order:
//     Name      text field (field codec)
//     Memo      string list (field codec)
//     Date      float64 day count
//     Time      float64 (only the time of day counts)
//     Reserved  int32
//     Remind    1 byte (0 or 1; other values are kept as they are)
//     Done      1 byte (likewise)
//
// No header, version or checksum; Index is not stored.
#pragma once

#include "core/planner/event.h"
#include "storage/stream.h"

namespace pomix {

inline constexpr const char* kCalendarStream = "Calendar";
inline constexpr const char* kCalendarFile = "Calendar.dat";

// Appends the stream's records to the list. A negative count reads as no records. A stream that
// ends inside a record raises EStreamReadError; the records read before it stay in the list.
void ReadCalendar(Stream& stream, EventList& list);
void WriteCalendar(const EventList& list, Stream& stream);

}  // namespace pomix
