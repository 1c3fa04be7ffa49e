#include "dataio/civil_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace pomix::dataio {
namespace {

constexpr long long kSecondsPerDay = 86'400;

// Days since 1970-01-01 of a proleptic Gregorian date (valid far beyond 1..9999).
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool Digits(const std::string& text, std::size_t from, std::size_t count, int& out) {
    if (from + count > text.size()) return false;
    out = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return text;
}

int WeekDayIndex(const std::string& code) {
    static const char* const kDays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    for (int i = 0; i < 7; ++i) {
        if (code == kDays[i]) return i;
    }
    return -1;
}

// The day of the month of a yearly rule in one year; 0 when the year has no such day.
int RuleDay(int year, int month, int weekDay, int nth, int monthDay) {
    const int length = DaysInMonth(year, month);
    if (weekDay < 0) {
        const int day = monthDay > 0 ? monthDay : length + monthDay + 1;
        return day >= 1 && day <= length ? day : 0;
    }
    if (nth > 0) {
        const int first = WeekDay(year, month, 1);
        const int day = 1 + (weekDay - first + 7) % 7 + (nth - 1) * 7;
        return day <= length ? day : 0;
    }
    const int last = WeekDay(year, month, length);
    const int day = length - (last - weekDay + 7) % 7 + (nth + 1) * 7;
    return day >= 1 ? day : 0;
}

}  // namespace

long long CivilToSeconds(const CivilTime& t) {
    return DaysFromCivil(t.Year, t.Month, t.Day) * kSecondsPerDay + t.Hour * 3600LL +
           t.Minute * 60LL + t.Second;
}

CivilTime SecondsToCivil(long long seconds) {
    long long days = seconds / kSecondsPerDay;
    long long rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    CivilTime t;
    CivilFromDays(days, t.Year, t.Month, t.Day);
    t.Hour = static_cast<int>(rest / 3600);
    t.Minute = static_cast<int>(rest / 60 % 60);
    t.Second = static_cast<int>(rest % 60);
    return t;
}

int WeekDay(int year, int month, int day) {
    // 1970-01-01 was a Thursday (3).
    const long long days = DaysFromCivil(year, month, day);
    return static_cast<int>(((days % 7) + 7 + 3) % 7);
}

bool IsValidCivil(const CivilTime& t) {
    return t.Year >= 1 && t.Year <= 9999 && t.Month >= 1 && t.Month <= 12 && t.Day >= 1 &&
           t.Day <= DaysInMonth(t.Year, t.Month) && t.Hour >= 0 && t.Hour <= 23 && t.Minute >= 0 &&
           t.Minute <= 59 && t.Second >= 0 && t.Second <= 60;
}

CivilTime UtcToLocal(long long utcSeconds) {
    const std::time_t moment = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    if (!localtime_r(&moment, &local)) return SecondsToCivil(utcSeconds);
    CivilTime t;
    t.Year = local.tm_year + 1900;
    t.Month = local.tm_mon + 1;
    t.Day = local.tm_mday;
    t.Hour = local.tm_hour;
    t.Minute = local.tm_min;
    t.Second = local.tm_sec;
    return t;
}

std::optional<CivilTime> FromDateTime(DateTime value) {
    if (!std::isfinite(value)) return std::nullopt;
    DateParts date;
    if (!TryDecodeDate(value, date)) return std::nullopt;
    const TimeParts time = DecodeTime(value);
    CivilTime t;
    t.Year = date.year;
    t.Month = date.month;
    t.Day = date.day;
    t.Hour = time.hour;
    t.Minute = time.minute;
    t.Second = time.second;
    return t;
}

DateTime ToDateTime(const CivilTime& t) {
    DateTime day = 0;
    TryEncodeDate(t.Year, t.Month, t.Day, day);
    return day + EncodeTime(t.Hour, t.Minute, t.Second);
}

std::string IsoDate(DateTime value) {
    const auto t = FromDateTime(value);
    if (!t) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t->Year, t->Month, t->Day);
    return text;
}

std::string IsoTime(DateTime value) {
    // Only the time of day counts: the fraction of whatever day the value holds.
    if (!std::isfinite(value) || std::fabs(value) > 1e9) return {};
    const TimeParts time = DecodeTime(value);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
    return text;
}

std::string IsoDateTime(DateTime value) {
    const auto t = FromDateTime(value);
    if (!t) return {};
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t->Year, t->Month, t->Day,
                  t->Hour, t->Minute, t->Second);
    return text;
}

std::string ICalDateTime(const CivilTime& t, bool utc) {
    char text[24];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d%s", t.Year, t.Month, t.Day, t.Hour,
                  t.Minute, t.Second, utc ? "Z" : "");
    return text;
}

std::string ICalDate(const CivilTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.Year, t.Month, t.Day);
    return text;
}

std::optional<ICalTimeValue> ParseICalTime(const std::string& raw) {
    std::string text;
    for (char c : raw) {
        if (c != '-' && c != ':' && c != ' ') text += c;
    }
    ICalTimeValue value;
    CivilTime& t = value.Time;
    if (!Digits(text, 0, 4, t.Year) || !Digits(text, 4, 2, t.Month) || !Digits(text, 6, 2, t.Day)) {
        return std::nullopt;
    }
    if (text.size() == 8) {
        value.DateOnly = true;
    } else {
        if (text[8] != 'T' && text[8] != 't') return std::nullopt;
        if (!Digits(text, 9, 2, t.Hour) || !Digits(text, 11, 2, t.Minute)) return std::nullopt;
        std::size_t end = 13;
        if (Digits(text, 13, 2, t.Second)) end = 15;
        // Fractions of a second, which some programs write, are dropped.
        if (end < text.size() && (text[end] == '.' || text[end] == ',')) {
            ++end;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        }
        if (end < text.size() && (text[end] == 'Z' || text[end] == 'z')) {
            value.Utc = true;
            ++end;
        }
        if (end != text.size()) return std::nullopt;
        if (t.Second == 60) t.Second = 59;  // a leap second
    }
    if (!IsValidCivil(t)) return std::nullopt;
    return value;
}

std::optional<int> ParseUtcOffset(const std::string& raw) {
    std::string text;
    for (char c : raw) {
        if (c != ':') text += c;
    }
    if (text.size() != 5 && text.size() != 7) return std::nullopt;
    if (text[0] != '+' && text[0] != '-') return std::nullopt;
    int hours, minutes, seconds = 0;
    if (!Digits(text, 1, 2, hours) || !Digits(text, 3, 2, minutes)) return std::nullopt;
    if (text.size() == 7 && !Digits(text, 5, 2, seconds)) return std::nullopt;
    if (hours > 23 || minutes > 59 || seconds > 59) return std::nullopt;
    const int offset = hours * 3600 + minutes * 60 + seconds;
    return text[0] == '-' ? -offset : offset;
}

std::string ZoneName(const std::string& tzid) {
    std::string name = tzid;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        name = name.substr(1, name.size() - 2);
    }
    if (!name.empty() && name.front() == '/') name.erase(0, 1);
    return name;
}

void ZoneTable::Add(const Component& vtimezone) {
    const ContentLine* id = vtimezone.Find("TZID");
    if (!id)
        throw FormatError("line " + std::to_string(vtimezone.LineNumber) +
                          ": VTIMEZONE without TZID");
    std::vector<Observance> zone;
    for (const Component& part : vtimezone.Children) {
        if (part.Name != "STANDARD" && part.Name != "DAYLIGHT") continue;
        const std::string where = "line " + std::to_string(part.LineNumber) + ": ";
        const ContentLine* start = part.Find("DTSTART");
        const ContentLine* to = part.Find("TZOFFSETTO");
        const ContentLine* from = part.Find("TZOFFSETFROM");
        const auto startTime = start ? ParseICalTime(start->Value) : std::nullopt;
        const auto offsetTo = to ? ParseUtcOffset(to->Value) : std::nullopt;
        if (!startTime || !offsetTo) {
            throw FormatError(where + part.Name + " without a readable DTSTART and TZOFFSETTO");
        }
        Observance o;
        o.Start = startTime->Time;
        o.OffsetTo = *offsetTo;
        const auto offsetFrom = from ? ParseUtcOffset(from->Value) : std::nullopt;
        o.OffsetFrom = offsetFrom.value_or(*offsetTo);
        if (const ContentLine* rrule = part.Find("RRULE")) {
            Rule rule;
            bool yearly = false;
            for (const std::string& item : SplitUnescaped(rrule->Value, ';')) {
                const std::size_t eq = item.find('=');
                if (eq == std::string::npos) continue;
                const std::string key = Upper(item.substr(0, eq));
                const std::string value = Upper(item.substr(eq + 1));
                if (key == "FREQ") {
                    yearly = value == "YEARLY";
                } else if (key == "BYMONTH") {
                    rule.Month = std::atoi(value.c_str());
                } else if (key == "BYMONTHDAY") {
                    rule.MonthDay = std::atoi(value.c_str());
                } else if (key == "BYDAY" && value.size() >= 2) {
                    rule.WeekDay = WeekDayIndex(value.substr(value.size() - 2));
                    const std::string nth = value.substr(0, value.size() - 2);
                    rule.Nth = nth.empty() || nth == "+" ? 1 : std::atoi(nth.c_str());
                } else if (key == "UNTIL") {
                    if (const auto until = ParseICalTime(value)) {
                        rule.Until = CivilToSeconds(until->Time) + (until->Utc ? o.OffsetFrom : 0);
                    }
                }
            }
            const bool dayGiven =
                (rule.WeekDay >= 0 && rule.Nth != 0 && rule.Nth >= -5 && rule.Nth <= 5) ||
                (rule.WeekDay < 0 && rule.MonthDay != 0 && rule.MonthDay >= -31 &&
                 rule.MonthDay <= 31);
            if (yearly && rule.Month >= 1 && rule.Month <= 12 && dayGiven) o.Yearly = rule;
        }
        for (const ContentLine* rdate : part.FindAll("RDATE")) {
            for (const std::string& item : SplitUnescaped(rdate->Value, ',')) {
                if (const auto when = ParseICalTime(item))
                    o.Extra.push_back(CivilToSeconds(when->Time));
            }
        }
        zone.push_back(std::move(o));
    }
    if (zone.empty()) {
        throw FormatError("line " + std::to_string(vtimezone.LineNumber) +
                          ": VTIMEZONE without STANDARD or DAYLIGHT");
    }
    zones_[ZoneName(id->Value)] = std::move(zone);
}

bool ZoneTable::Knows(const std::string& tzid) const {
    return zones_.count(ZoneName(tzid)) != 0;
}

int ZoneTable::OffsetAt(const std::vector<Observance>& zone, long long wall) const {
    std::optional<Onset> best;
    const auto consider = [&](long long onset, int offsetTo) {
        if (onset <= wall && (!best || onset >= best->Wall)) best = Onset{onset, offsetTo};
    };
    const int year = SecondsToCivil(wall).Year;
    const Observance* earliest = &zone.front();
    for (const Observance& o : zone) {
        if (o.Start < earliest->Start) earliest = &o;
        const long long start = CivilToSeconds(o.Start);
        consider(start, o.OffsetTo);
        for (long long extra : o.Extra) consider(extra, o.OffsetTo);
        if (!o.Yearly) continue;
        const Rule& r = *o.Yearly;
        for (int y = std::max(o.Start.Year, year - 1); y <= year; ++y) {
            const int day = RuleDay(y, r.Month, r.WeekDay, r.Nth, r.MonthDay);
            if (day == 0) continue;
            const CivilTime onsetTime{
                y, r.Month, day, o.Start.Hour, o.Start.Minute, o.Start.Second};
            const long long onset = CivilToSeconds(onsetTime);
            if (onset < start || (r.Until && onset > *r.Until)) continue;
            consider(onset, o.OffsetTo);
        }
    }
    return best ? best->OffsetTo : earliest->OffsetFrom;
}

long long ZoneTable::ToUtc(const std::string& tzid, const CivilTime& wall) const {
    const long long seconds = CivilToSeconds(wall);
    return seconds - OffsetAt(zones_.at(ZoneName(tzid)), seconds);
}

}  // namespace pomix::dataio
