// Dates are the 64-bit floating day count since 30 December 1899: the whole part counts days,
// the fraction is the time of day. Valid for the years 1 to 9999.
#pragma once

#include <functional>
#include <string>

namespace pomix {

using DateTime = double;

struct DateParts {
    int year = 0, month = 0, day = 0;
};
struct TimeParts {
    int hour = 0, minute = 0, second = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Days since 1 January 1970 of a day of the Gregorian calendar (carried back before 1582) and
// back: the one calendar arithmetic under the stored day counts, the exchange formats' seconds
// and the birthdays' walk past the year 9999, for the years -32767 to 32767 that <chrono> holds. A
// month outside 1..12 runs on into the next or previous years, and a day outside its month into the
// next or previous months: an exchange file's time may be any triple of numbers.
long long DaysFromCivil(int year, int month, int day);
DateParts CivilFromDays(long long days);
// False (and the value untouched) for a day that does not exist or a year outside 1..9999.
bool TryEncodeDate(int year, int month, int day, DateTime& value);
bool TryDecodeDate(DateTime value, DateParts& parts);
DateTime EncodeTime(int hour, int minute, int second = 0);
TimeParts DecodeTime(DateTime value);
// 0 = Monday … 6 = Sunday.
int DayOfWeek(DateTime value);

// The current moment; tests may replace the clock.
DateTime Now();
DateTime Today();
using Clock = std::function<DateTime()>;
Clock SetClock(Clock clock);  // returns the previous clock; an empty one restores the system's

// The fixed text forms "DD.MM.YYYY" and "HH:MM". A bad value is reported through the report
// hook (a time text that does not read with the time's message, everything else with the
// date's) and a fallback returned: Now() for the readers, "31.12.2000" and "12.00" for the
// writers.
DateTime TextToDate(const std::string& text);
// TextToDate without the report and the fallback: false (value untouched) when the text is
// not a date, so a caller can decide for itself what a bad text means.
bool TryTextToDate(const std::string& text, DateTime& value);
std::string DateToText(DateTime value);
DateTime TextToTime(const std::string& text);
// TextToTime without the report and the fallback, as TryTextToDate.
bool TryTextToTime(const std::string& text, DateTime& value);
std::string TimeToText(DateTime value);

}  // namespace pomix
