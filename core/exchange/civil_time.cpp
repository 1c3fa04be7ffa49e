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
    const DateParts date = CivilFromDays(days);
    CivilTime t;
    t.Year = date.year;
    t.Month = date.month;
    t.Day = date.day;
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
