#include "core/addressbook/birthdays.h"

#include <cstdint>

#include "storage/dates.h"

namespace pomix {

std::optional<int> BirthdayWithin(int horizon, DateTime birthDate, DateTime today) {
    DateParts now, birth;
    if (horizon < 0 || !TryDecodeDate(today, now) || !TryDecodeDate(birthDate, birth)) {
        return std::nullopt;
    }
    // Stepping day by day from today meets the birthday at its next occurrence: this year or
    // a later one, at most eight years on for 29 February (2096 to 2104). The walk may pass
    // the year 9999, so it counts days rather than DateTime values.
    const std::int64_t start = DaysFromCivil(now.year, now.month, now.day);
    for (int year = now.year; year <= now.year + 8; ++year) {
        if (birth.day > DaysInMonth(year, birth.month)) continue;
        const std::int64_t steps = DaysFromCivil(year, birth.month, birth.day) - start;
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
