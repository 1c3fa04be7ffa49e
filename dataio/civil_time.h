// Calendar dates and times of day as the exchange formats write them, and the moves between
// UTC, a time zone described in an iCalendar file, and the machine's local time.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dataio/content_line.h"
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
// 0 = Monday … 6 = Sunday.
int WeekDay(int year, int month, int day);
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

// "20250308T093000" (and a "Z" when utc is set), "20250308" for a date.
std::string ICalDateTime(const CivilTime& time, bool utc = false);
std::string ICalDate(const CivilTime& time);

// A DATE or DATE-TIME value: "20250308", "20250308T093000", "20250308T093000Z"; the extended
// forms with "-" and ":" are taken too. Nothing for anything else.
struct ICalTimeValue {
    CivilTime Time;
    bool DateOnly = false;
    bool Utc = false;
};
std::optional<ICalTimeValue> ParseICalTime(const std::string& text);

// The time zones (VTIMEZONE blocks) of an iCalendar file, by TZID.
//
// Each zone is a set of observances (STANDARD, DAYLIGHT): from its DTSTART on, and again at
// every yearly RRULE (BYMONTH with BYDAY such as -1SU, or BYMONTHDAY) or RDATE onset, the
// wall clock runs at TZOFFSETTO. The offset of a wall time is that of the latest onset at or
// before it; before the first onset the first observance's TZOFFSETFROM holds.
class ZoneTable {
public:
    // Raises FormatError for an observance without DTSTART or a readable TZOFFSETTO.
    void Add(const Component& vtimezone);
    bool Knows(const std::string& tzid) const;
    // The UTC seconds of a wall time in the zone; the zone must be known.
    long long ToUtc(const std::string& tzid, const CivilTime& wall) const;

private:
    struct Onset {
        long long Wall;  // seconds, wall clock before the change
        int OffsetTo;    // seconds east of UTC
    };
    struct Rule {
        int Month = 0;
        int WeekDay = -1;  // 0 = Monday; -1 when BYMONTHDAY gives the day
        int Nth = 0;       // 1 first … -1 last
        int MonthDay = 0;
        std::optional<long long> Until;
    };
    struct Observance {
        CivilTime Start;
        int OffsetFrom = 0;
        int OffsetTo = 0;
        std::optional<Rule> Yearly;
        std::vector<long long> Extra;  // RDATE onsets
    };
    std::map<std::string, std::vector<Observance>> zones_;
    int OffsetAt(const std::vector<Observance>& zone, long long wall) const;
};

// "+0300", "-0530", "+013000" as seconds east of UTC.
std::optional<int> ParseUtcOffset(const std::string& text);
// A TZID as written ("/Europe/Moscow" and quoted forms name the same zone as "Europe/Moscow").
std::string ZoneName(const std::string& tzid);

}  // namespace pomix::dataio
