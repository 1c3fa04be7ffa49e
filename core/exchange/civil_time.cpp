#include "core/exchange/civil_time.h"

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

}  // namespace pomix::dataio
