// Imports of other programs' files at the sizes people bring: a calendar of 20,000 events
// (about 5 MB, zoned starts, alarms, some series) and an address book of 100,000 contacts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "core/exchange/icalendar.h"
#include "core/exchange/vcard.h"
#include "storage/cp1251.h"

namespace pomix {
namespace {

constexpr int kEvents = 20000;
constexpr int kContacts = 100000;

std::string Word(std::mt19937& random, int length) {
    static const std::string letters = Utf8ToCp1251("абвгдеёжзийклмнопрстуфхцчшщэюя") + "abcxyz";
    std::string word;
    for (int i = 0; i < length; ++i) word += letters[random() % letters.size()];
    return word;
}

const std::string& CalendarText() {
    static const std::string text = [] {
        std::mt19937 random(7);
        std::string out =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n"
            "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\n"
            "TZOFFSETTO:+0200\r\nDTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-"
            "1SU\r\n"
            "END:DAYLIGHT\r\nBEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\n"
            "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
            "END:VTIMEZONE\r\n";
        char line[160];
        for (int i = 0; i < kEvents; ++i) {
            const int year = 2015 + i % 12, month = 1 + i % 12, day = 1 + i % 28;
            out += "BEGIN:VEVENT\r\n";
            std::snprintf(line, sizeof line,
                          "DTSTART;TZID=Europe/Berlin:%04d%02d%02dT%02d%02d00\r\n"
                          "DTEND;TZID=Europe/Berlin:%04d%02d%02dT%02d%02d00\r\n",
                          year, month, day, 8 + i % 10, i % 60, year, month, day, 9 + i % 10,
                          i % 60);
            out += line;
            std::snprintf(line, sizeof line,
                          "DTSTAMP:20250101T120000Z\r\nUID:%08d-bench@calendar.example.com\r\n", i);
            out += line;
            out += "SUMMARY:" + Cp1251ToUtf8(Word(random, 12)) + "\r\n";
            out += "DESCRIPTION:" + Cp1251ToUtf8(Word(random, 12)) + "\\n" +
                   Cp1251ToUtf8(Word(random, 12)) + "\r\n";
            out += "STATUS:CONFIRMED\r\n";
            if (i % 10 == 0) out += "RRULE:FREQ=WEEKLY;BYDAY=MO,WE\r\n";
            if (i % 3 == 0) {
                out +=
                    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\n"
                    "TRIGGER:-PT15M\r\nEND:VALARM\r\n";
            }
            out += "END:VEVENT\r\n";
        }
        out += "END:VCALENDAR\r\n";
        return out;
    }();
    return text;
}

const std::string& ContactsText() {
    static const std::string text = [] {
        std::mt19937 random(3);
        AddressList contacts;
        for (int i = 0; i < kContacts; ++i) {
            contacts.Add(Contact(Word(random, 8), Word(random, 6), Word(random, 9),
                                 20000 + random() % 20000, Word(random, 30), "+7 916 123-45-67", "",
                                 Word(random, 8) + "@mail.ru", "www." + Word(random, 6) + ".ru",
                                 {Word(random, 40)}, static_cast<std::uint8_t>(random() % 2)));
        }
        return dataio::WriteVCards(contacts);
    }();
    return text;
}

void BM_ImportICalendar(benchmark::State& state) {
    const std::string& text = CalendarText();
    for (auto _ : state) {
        const auto result = dataio::ReadICalendar(text);
        if (result.Records.size() != kEvents) state.SkipWithError("events lost");
        benchmark::DoNotOptimize(result.Records.data());
    }
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["events"] = kEvents;
}
BENCHMARK(BM_ImportICalendar)->Unit(benchmark::kMillisecond);

void BM_ImportVCards(benchmark::State& state) {
    const std::string& text = ContactsText();
    for (auto _ : state) {
        const auto result = dataio::ReadVCards(text);
        if (result.Records.size() != kContacts) state.SkipWithError("contacts lost");
        benchmark::DoNotOptimize(result.Records.data());
    }
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["contacts"] = kContacts;
}
BENCHMARK(BM_ImportVCards)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pomix
