#include "storage/dates.h"

#include <sys/time.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "storage/report.h"

namespace pomix {
namespace {

constexpr long long kMsPerDay = 86'400'000;
// Day count of 1 January 0001 in the zero-based count from that day: the epoch of the
// stored dates (30 December 1899) is day 693593 of it.
constexpr long long kEpochOffset = 693'593;
// The epoch of the stored dates is this many days before 1 January 1970.
constexpr long long kDaysBefore1970 = 25'569;
constexpr double kFirstDay = -693'593.0;      // 1 January 0001
constexpr double kPastLastDay = 2'958'466.0;  // 1 January 10000

// The value split into whole days (toward zero) and milliseconds of the day, rounded to the
// millisecond first so that 23:59:59.9996 counts as the next midnight.
bool Split(DateTime value, long long& days, long long& ms) {
    if (!std::isfinite(value) || value < kFirstDay - 1 || value >= kPastLastDay) return false;
    const long long total = std::llround(value * static_cast<double>(kMsPerDay));
    days = total / kMsPerDay;
    ms = (total < 0 ? -total : total) % kMsPerDay;
    return true;
}

Clock& CurrentClock() {
    static Clock clock;
    return clock;
}

DateTime SystemNow() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm local{};
    const std::time_t secs = tv.tv_sec;
    localtime_r(&secs, &local);
    DateTime day = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, day);
    return day + EncodeTime(local.tm_hour, local.tm_min, local.tm_sec) +
           static_cast<double>(tv.tv_usec / 1000) / kMsPerDay;
}

// Delphi-style StrToInt of a piece: optional leading blanks, an optional sign, digits.
bool ParseInt(const std::string& text, std::size_t from, std::size_t count, int& out) {
    if (from >= text.size()) return false;
    const std::string piece = text.substr(from, count);
    std::size_t i = 0;
    while (i < piece.size() && piece[i] == ' ') ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '-' || piece[i] == '+')) negative = piece[i++] == '-';
    if (i == piece.size()) return false;
    long value = 0;
    for (; i < piece.size(); ++i) {
        if (piece[i] < '0' || piece[i] > '9') return false;
        value = value * 10 + (piece[i] - '0');
    }
    out = static_cast<int>(negative ? -value : value);
    return true;
}

}  // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month];
}

long long DaysFromCivil(int year, int month, int day) {
    using namespace std::chrono;
    // The carry first: <chrono> gives no count for a month it does not know.
    const long long months = static_cast<long long>(year) * 12 + (month - 1);
    const long long carriedYear = months >= 0 ? months / 12 : (months - 11) / 12;
    const unsigned carriedMonth = static_cast<unsigned>(months - carriedYear * 12) + 1;
    const sys_days first{std::chrono::year{static_cast<int>(carriedYear)} /
                         std::chrono::month{carriedMonth} / 1};
    return first.time_since_epoch().count() + (day - 1LL);
}

DateParts CivilFromDays(long long days) {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
    return {static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
            static_cast<int>(unsigned(date.day()))};
}

bool TryEncodeDate(int year, int month, int day, DateTime& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return false;
    }
    value = static_cast<double>(DaysFromCivil(year, month, day) + kDaysBefore1970);
    return true;
}

bool TryDecodeDate(DateTime value, DateParts& parts) {
    long long days, ms;
    if (!Split(value, days, ms)) return false;
    if (days < kFirstDay || days >= kPastLastDay) return false;
    parts = CivilFromDays(days - kDaysBefore1970);
    return true;
}

DateTime EncodeTime(int hour, int minute, int second) {
    return static_cast<double>(hour * 3'600'000LL + minute * 60'000LL + second * 1000LL) /
           kMsPerDay;
}

TimeParts DecodeTime(DateTime value) {
    long long days, ms;
    if (!Split(value, days, ms)) return {};
    return {static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
            static_cast<int>(ms / 1000 % 60)};
}

int DayOfWeek(DateTime value) {
    // Dates come from data files, where any eight bytes may stand: a value that no integer
    // holds must not reach a cast. Past about 2^53 every double is a whole day anyway.
    if (!std::isfinite(value)) return 0;
    const double z = std::fmod(std::floor(value) + static_cast<double>(kEpochOffset), 7.0);
    return (static_cast<int>(z) + 7) % 7;  // day 0 of the count was a Monday
}

DateTime Now() {
    return CurrentClock() ? CurrentClock()() : SystemNow();
}

DateTime Today() {
    return std::floor(Now());
}

Clock SetClock(Clock clock) {
    Clock previous = std::move(CurrentClock());
    CurrentClock() = std::move(clock);
    return previous;
}

bool TryTextToDate(const std::string& text, DateTime& value) {
    int day, month, year;
    return ParseInt(text, 0, 2, day) && ParseInt(text, 3, 2, month) &&
           ParseInt(text, 6, 4, year) && TryEncodeDate(year, month, day, value);
}

DateTime TextToDate(const std::string& text) {
    DateTime value;
    if (TryTextToDate(text, value)) return value;
    Report(kIncorrectDateMessage);
    return Now();
}

std::string DateToText(DateTime value) {
    DateParts p;
    if (!TryDecodeDate(value, p)) {
        Report(kIncorrectDateMessage);
        return "31.12.2000";
    }
    char buf[16];
    // Always four digits of year: the form TextToDate reads back, also for the years 1 to 999.
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", p.day, p.month, p.year);
    return buf;
}

bool TryTextToTime(const std::string& text, DateTime& value) {
    int hour, minute;
    if (ParseInt(text, 0, 2, hour) && ParseInt(text, 3, 2, minute) && hour >= 0 && hour < 24 &&
        minute >= 0 && minute < 60) {
        value = EncodeTime(hour, minute);
        return true;
    }
    return false;
}

DateTime TextToTime(const std::string& text) {
    DateTime value;
    if (TryTextToTime(text, value)) return value;
    Report(kIncorrectTimeMessage);
    return Now();
}

std::string TimeToText(DateTime value) {
    long long days, ms;
    if (!Split(value, days, ms)) {
        Report(kIncorrectDateMessage);
        return "12.00";
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", static_cast<int>(ms / 3'600'000),
                  static_cast<int>(ms / 60'000 % 60));
    return buf;
}

}  // namespace pomix
