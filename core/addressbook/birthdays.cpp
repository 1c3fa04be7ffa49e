#include "core/addressbook/birthdays.h"

#include <cstdint>

namespace pomix {
namespace {

// The walk through the calendar may pass the year 9999, so day numbers are counted here
// rather than through DateTime.
bool LeapYear(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int MonthLength(std::int64_t y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && LeapYear(y) ? 29 : kDays[m - 1];
}

// Days since 1 March of year 0 of the proleptic Gregorian calendar.
std::int64_t DayNumber(std::int64_t y, int m, int d) {
    if (m <= 2) --y;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

}  // namespace

std::optional<int> BirthdayWithin(int horizon, DateTime birthDate, DateTime today) {
    DateParts now, birth;
    if (horizon < 0 || !TryDecodeDate(today, now) || !TryDecodeDate(birthDate, birth)) {
        return std::nullopt;
    }
    // Stepping day by day from today meets the birthday at its next occurrence: this year or
    // a later one, at most eight years on for 29 February (2096 to 2104).
    const std::int64_t start = DayNumber(now.year, now.month, now.day);
    for (std::int64_t year = now.year; year <= now.year + 8; ++year) {
        if (birth.day > MonthLength(year, birth.month)) continue;
        const std::int64_t steps = DayNumber(year, birth.month, birth.day) - start;
        if (steps < 0) continue;
        if (steps > horizon) return std::nullopt;
        return static_cast<int>(steps);
    }
    return std::nullopt;
}

std::optional<int> BirthdayWithin(int horizon, DateTime birthDate) {
    return BirthdayWithin(horizon, birthDate, Now());
}

std::vector<BirthdayLine> BirthdayLines(const AddressList& list, int horizon, const std::string& todayWord) {
    const DateTime today = Now();
    std::vector<BirthdayLine> lines;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (!HasBirthDate(list[i].Date)) continue;
        const auto days = BirthdayWithin(horizon, list[i].Date, today);
        if (!days) continue;
        lines.push_back({list.LineFor(i, ShortName(list[i])),
                         *days == 0 ? todayWord : std::to_string(*days)});
    }
    return lines;
}

std::optional<int> Age(DateTime birthDate) {
    DateParts now, birth;
    if (!HasBirthDate(birthDate) || !TryDecodeDate(Now(), now) || !TryDecodeDate(birthDate, birth)) return std::nullopt;
    return now.year - birth.year;
}

std::string AgeText(DateTime birthDate, bool showAge) {
    if (!showAge) return {};
    const auto age = Age(birthDate);
    return age ? std::to_string(*age) : std::string();
}

}  // namespace pomix
