// The date and time text routines and the day count over arbitrary input: a text that reads
// without a report writes back to a text that reads to the same value; any double decodes to
// parts that encode again, or is refused; and nothing reads or casts out of range.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "storage/dates.h"
#include "storage/report.h"

namespace {

int reports = 0;

// Calls f and tells whether it reported a bad value.
template <class F>
bool Reported(F f) {
    const int before = reports;
    f();
    return reports != before;
}

void CheckText(const std::string& text) {
    pomix::DateTime date = 0;
    // The quiet reader agrees with the reporting one: the same texts, the same values.
    pomix::DateTime quiet = -1e300;
    const bool read = pomix::TryTextToDate(text, quiet);
    const bool reported = Reported([&] { date = pomix::TextToDate(text); });
    if (read == reported || (read && quiet != date) || (!read && quiet != -1e300)) __builtin_trap();
    if (!reported) {
        std::string written;
        if (Reported([&] { written = pomix::DateToText(date); })) __builtin_trap();
        pomix::DateTime again = 0;
        if (Reported([&] { again = pomix::TextToDate(written); }) || again != date)
            __builtin_trap();
    }
    pomix::DateTime time = 0;
    if (!Reported([&] { time = pomix::TextToTime(text); })) {
        if (time < 0 || time >= 1) __builtin_trap();
        std::string written;
        if (Reported([&] { written = pomix::TimeToText(time); })) __builtin_trap();
        pomix::DateTime again = 0;
        if (Reported([&] { again = pomix::TextToTime(written); }) || again != time)
            __builtin_trap();
    }
}

void CheckValue(double value) {
    pomix::DateParts parts;
    if (pomix::TryDecodeDate(value, parts)) {
        pomix::DateTime day = 0;
        if (!pomix::TryEncodeDate(parts.year, parts.month, parts.day, day)) __builtin_trap();
        // The whole days of the value, counted toward zero; a time a hair before midnight
        // rounds into the next day.
        if (std::fabs(day - std::trunc(value)) > 1) __builtin_trap();
        std::string text;
        if (Reported([&] { text = pomix::DateToText(value); })) __builtin_trap();
        if (Reported([&] { pomix::TextToDate(text); })) __builtin_trap();
        const pomix::TimeParts t = pomix::DecodeTime(value);
        if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 ||
            t.second > 59) {
            __builtin_trap();
        }
    }
    const int weekday = pomix::DayOfWeek(value);
    if (weekday < 0 || weekday > 6) __builtin_trap();
    pomix::TimeToText(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool hooked = [] {
        pomix::SetReportHook([](const std::string&) { ++reports; });
        pomix::SetClock([] { return 45000.5; });
        return true;
    }();
    (void)hooked;
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        CheckValue(value);
    }
    CheckText(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
