// Calendar dates and times of day as the exchange formats write them, and the move from UTC
// to the machine's local time.
#pragma once

#include <optional>
#include <string>

#include "storage/dates.h"

namespace pomix::dataio {

struct CivilTime {
    int Year = 1970, Month = 1, Day = 1;
    int Hour = 0, Minute = 0, Second = 0;
    auto operator<=>(const CivilTime&) const = default;
};

// Seconds since 1970-01-01 00:00 of the civil time read as UTC (negative before).
long long CivilToSeconds(const CivilTime& time);
CivilTime SecondsToCivil(long long seconds);
bool IsValidCivil(const CivilTime& time);

// The machine's local time of a UTC moment (TZ and the system's zone files decide).
CivilTime UtcToLocal(long long utcSeconds);

// The program's day count and back; a value that is no date gives nothing.
std::optional<CivilTime> FromDateTime(DateTime value);
DateTime ToDateTime(const CivilTime& time);

// ISO 8601 texts: "2025-03-08", "09:30", "2025-03-08T09:30:00"; empty for a value that is not
// a date.
std::string IsoDate(DateTime value);
std::string IsoTime(DateTime value);
std::string IsoDateTime(DateTime value);

}  // namespace pomix::dataio
