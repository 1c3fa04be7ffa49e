// Coming birthdays and ages of the address book's contacts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/addressbook/address.h"
#include "storage/dates.h"

namespace pomix {

// Days from today (0 = today) to the next birthday of someone born on birthDate, when that
// day is at most horizon days away. The birth year plays no part; a birthday on 29 February
// falls only in leap years. A negative horizon, or a value that is not a date, finds nothing.
std::optional<int> BirthdayWithin(int horizon, DateTime birthDate);
std::optional<int> BirthdayWithin(int horizon, DateTime birthDate, DateTime today);

// A line of the birthday list, kept as its two cells so that no character of a name can
// move the day count into another column.
struct BirthdayLine {
    ListLine Contact;  // the short name and the record's reference
    std::string When;  // todayWord for today, else the day count
};

// One line per record (all categories, list order) with a birth date whose birthday is within
// the horizon;
// todayWord (code page 1251) is the interface language's "Сегодня".
std::vector<BirthdayLine> BirthdayLines(const AddressList& list, int horizon, const std::string& todayWord);

// Current year minus the birth year (the age changes on 1 January); none without a birth
// date (HasBirthDate).
std::optional<int> Age(DateTime birthDate);
// The age in decimal, or empty when it is not shown.
std::string AgeText(DateTime birthDate, bool showAge);

}  // namespace pomix
