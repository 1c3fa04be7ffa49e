#include "core/exchange/icalendar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <set>

#include "core/exchange/civil_time.h"
#include "core/exchange/content_line.h"
#include "core/exchange/tests/zone_override.h"
#include "storage/cp1251.h"

namespace pomix::dataio {
namespace {

std::string Cp(const std::string& utf8) {
    return Utf8ToCp1251(utf8);
}

DateTime Day(int y, int m, int d) {
    DateTime value = 0;
    TryEncodeDate(y, m, d, value);
    return value;
}

Event MakeEvent(const std::string& name, DateTime day, int hour, int minute, StrList memo,
                std::uint8_t remind, std::uint8_t done) {
    return Event(Cp(name), memo, day, EncodeTime(hour, minute), 1, remind, done);
}

std::string Calendar(const std::string& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

TEST(ICalendarRoundTrip, EventsComeBackWithTheirDayTimeTextAndFlags) {
    ZoneOverride zone("MSK-3");
    EventList list;
    list.Append(MakeEvent("Встреча, важная; очень", Day(2025, 3, 8), 9, 30,
                          {Cp("первая \\ строка"), "", Cp("третья")}, 1, 0));
    list.Append(MakeEvent("Done", Day(1999, 12, 31), 23, 59, {}, 0, 1));
    list.Append(MakeEvent(std::string(200, 'x'), Day(2025, 1, 1), 0, 0, {"", "last"}, 1, 1));
    const CalendarExport out = WriteICalendar(list, 15, 1'700'000'000);
    EXPECT_EQ(out.Written, 3u);
    const auto result = ReadICalendar(out.Text);
    ASSERT_EQ(result.Records.size(), list.Count());
    EXPECT_TRUE(result.Skipped.empty());
    EXPECT_TRUE(result.Simplified.empty());
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const Event& a = list[i];
        const Event& b = result.Records[i];
        EXPECT_EQ(b.Name, a.Name);
        EXPECT_EQ(b.Memo, a.Memo);
        EXPECT_EQ(b.Date, a.Date);
        EXPECT_EQ(TimeToText(b.Time), TimeToText(a.Time));
        EXPECT_EQ(b.Remind, a.Remind);
        EXPECT_EQ(b.Done, a.Done);
        EXPECT_EQ(b.Reserved, 1);
    }
}

TEST(ICalendarWrite, AlarmLeadDoneMarkAndFloatingStart) {
    EventList list;
    list.Append(MakeEvent("A", Day(2025, 3, 8), 9, 5, {}, 1, 1));
    list.Append(MakeEvent("B", Day(2025, 3, 8), 9, 5, {}, 2, 2));  // flags other than 1 are off
    const auto blocks = ReadComponents(WriteICalendar(list, 90, 0).Text);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].Children.size(), 2u);
    const Component& a = blocks[0].Children[0];
    EXPECT_EQ(a.Find("DTSTART")->Value, "20250308T090500");
    EXPECT_TRUE(a.Find("DTSTART")->Params.empty());
    EXPECT_EQ(a.Find("DTSTAMP")->Value, "19700101T000000Z");
    ASSERT_EQ(a.Children.size(), 1u);
    EXPECT_EQ(a.Children[0].Find("TRIGGER")->Value, "-PT1H30M");
    EXPECT_EQ(a.Children[0].Find("ACTION")->Value, "DISPLAY");
    EXPECT_EQ(DecodeValue(*a.Find("CATEGORIES")), kDoneCategory);
    const Component& b = blocks[0].Children[1];
    EXPECT_TRUE(b.Children.empty());
    EXPECT_EQ(b.Find("CATEGORIES"), nullptr);
}

TEST(ICalendarWrite, UidsAreStableAndDistinct) {
    EventList list;
    list.Append(MakeEvent("A", Day(2025, 3, 8), 9, 0, {}, 0, 0));
    list.Append(MakeEvent("A", Day(2025, 3, 8), 9, 0, {}, 0, 0));  // the same event twice
    list.Append(MakeEvent("A", Day(2025, 3, 9), 9, 0, {}, 0, 0));
    list.Append(MakeEvent("A", Day(2025, 3, 8), 9, 0, {"x"}, 0, 0));
    const auto uids = [](const std::string& text) {
        std::vector<std::string> found;
        const auto blocks = ReadComponents(text);
        for (const Component& e : blocks.at(0).Children) found.push_back(e.Find("UID")->Value);
        return found;
    };
    const auto first = uids(WriteICalendar(list, 15, 100).Text);
    const auto second = uids(WriteICalendar(list, 30, 999999).Text);
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::set<std::string>(first.begin(), first.end()).size(), first.size());
    // Marking an event done keeps its UID: calendars then update it instead of adding a copy.
    list[0].Done = 1;
    EXPECT_EQ(uids(WriteICalendar(list, 15, 100).Text), first);
}

TEST(ICalendarWrite, AnEventWithoutAValidDayIsLeftOut) {
    EventList list;
    list.Append(MakeEvent("bad", 1e300, 9, 0, {}, 0, 0));
    list.Append(MakeEvent("good", Day(2025, 1, 1), 9, 0, {}, 0, 0));
    const CalendarExport out = WriteICalendar(list, 15, 0);
    EXPECT_EQ(out.Written, 1u);
    ASSERT_EQ(out.Skipped.size(), 1u);
    EXPECT_EQ(out.Skipped[0].Line, 1u);
    EXPECT_EQ(ReadICalendar(out.Text).Records.size(), 1u);
}

TEST(ICalendarRead, StartsInEveryFormBecomeLocalTime) {
    ZoneOverride zone("MSK-3");
    const std::string text = Calendar(
        "BEGIN:VTIMEZONE\r\nTZID:W. Europe Standard Time\r\n"
        "BEGIN:STANDARD\r\nDTSTART:16010101T030000\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\n"
        "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\nEND:STANDARD\r\n"
        "BEGIN:DAYLIGHT\r\nDTSTART:16010101T020000\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
        "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n"
        "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;TZID=\"W. Europe Standard Time\":20250701T100000\r\n"
        "SUMMARY:zoned\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:2\r\nDTSTART:20251231T223000Z\r\nSUMMARY:utc\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:3\r\nDTSTART;VALUE=DATE:20250308\r\nDTEND;VALUE=DATE:20250309\r\n"
        "SUMMARY:all day\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:4\r\nDTSTART:20250308T070000\r\nSUMMARY:floating\r\nEND:VEVENT\r\n");
    const auto result = ReadICalendar(text);
    ASSERT_EQ(result.Records.size(), 4u);
    const struct {
        DateTime day;
        const char* time;
    } expected[] = {
        {Day(2025, 7, 1), "11:00"},  // 10:00 at UTC+2 is 11:00 at UTC+3
        {Day(2026, 1, 1), "01:30"},  // into the next day and year
        {Day(2025, 3, 8), "00:00"},
        {Day(2025, 3, 8), "07:00"},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(result.Records[i].Date, expected[i].day) << i;
        EXPECT_EQ(TimeToText(result.Records[i].Time), expected[i].time) << i;
    }
    EXPECT_TRUE(result.Simplified.empty());
}

TEST(ICalendarRead, RecurringTasksJournalsAndBrokenEventsAreAccountedFor) {
    const std::string text = Calendar(
        "BEGIN:VEVENT\r\nUID:r\r\nDTSTART:20250106T090000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\n"
        "SUMMARY:weekly\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:r\r\nRECURRENCE-ID:20250113T090000\r\nDTSTART:20250113T100000\r\n"
        "SUMMARY:weekly moved\r\nEND:VEVENT\r\n"
        "BEGIN:VTODO\r\nUID:t\r\nSUMMARY:task\r\nEND:VTODO\r\n"
        "BEGIN:VJOURNAL\r\nUID:j\r\nSUMMARY:diary\r\nEND:VJOURNAL\r\n"
        "BEGIN:VEVENT\r\nUID:n\r\nSUMMARY:no start\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:2025-13-45\r\nSUMMARY:bad start\r\nEND:VEVENT\r\n");
    const auto result = ReadICalendar(text);
    ASSERT_EQ(result.Records.size(), 1u);
    EXPECT_EQ(result.Records[0].Name, "weekly");
    EXPECT_EQ(result.Records[0].Date, Day(2025, 1, 6));
    ASSERT_EQ(result.Simplified.size(), 1u);
    EXPECT_EQ(result.Simplified[0].Line, 4u);
    std::set<std::pair<std::size_t, std::string>> skipped;
    for (const ImportNote& note : result.Skipped) skipped.insert({note.Line, note.Reason});
    const std::set<std::pair<std::size_t, std::string>> expected = {
        {10, "a changed occurrence of the series 'weekly moved' (the series is taken once)"},
        {16, "a to-do item (VTODO)"},
        {20, "a journal entry (VJOURNAL)"},
        {24, "an event without DTSTART"},
        {28, "an unreadable DTSTART"}};
    EXPECT_EQ(skipped, expected);
}

TEST(ICalendarRead, AlarmsDoneMarksLocationsAndTextCleanUp) {
    const std::string text = Calendar(
        "BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20250308T090000\r\n"
        "SUMMARY:two\\nlines\r\nDESCRIPTION:a\\nb\\,c\r\nLOCATION:Room 5\r\n"
        "CATEGORIES:Work,DONE\r\n"
        "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT5M\r\nEND:VALARM\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:2\r\nDTSTART:20250308T090000\r\nSTATUS:COMPLETED\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:3\r\nDTSTART:20250308T090000\r\nSTATUS:CONFIRMED\r\n"
        "SUMMARY:日本\r\nEND:VEVENT\r\n");
    const auto result = ReadICalendar(text);
    ASSERT_EQ(result.Records.size(), 3u);
    const Event& a = result.Records[0];
    EXPECT_EQ(a.Name, "two lines");
    EXPECT_EQ(a.Memo, (StrList{"a", "b,c", Cp("Место: Room 5")}));
    EXPECT_EQ(a.Remind, 1);
    EXPECT_EQ(a.Done, 1);
    EXPECT_EQ(result.Records[1].Done, 1);
    EXPECT_EQ(result.Records[1].Remind, 0);
    EXPECT_TRUE(result.Records[1].Memo.empty());
    EXPECT_EQ(result.Records[2].Done, 0);
    EXPECT_EQ(result.Records[2].Name, "??");
    EXPECT_EQ(result.Replaced, 2u);
}

TEST(ICalendarRead, PlaceholderAlarmsAndCancelledEvents) {
    const auto result = ReadICalendar(Calendar(
        "BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20250308T090000\r\nSUMMARY:quiet\r\n"
        "BEGIN:VALARM\r\nACTION:NONE\r\nTRIGGER;VALUE=DATE-TIME:19760401T005545Z\r\nEND:VALARM\r\n"
        "END:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:2\r\nDTSTART:20250308T090000\r\nSTATUS:CANCELLED\r\nEND:VEVENT\r\n"));
    ASSERT_EQ(result.Records.size(), 1u);
    EXPECT_EQ(result.Records[0].Remind, 0);
    ASSERT_EQ(result.Skipped.size(), 1u);
    EXPECT_NE(result.Skipped[0].Reason.find("cancelled"), std::string::npos);
}

TEST(ICalendarRead, AnUnknownZoneIsTakenAsLocalAndSaidSo) {
    const auto result = ReadICalendar(
        Calendar("BEGIN:VEVENT\r\nUID:1\r\nDTSTART;TZID=Nowhere Standard Time:20250308T090000\r\n"
                 "END:VEVENT\r\n"));
    ASSERT_EQ(result.Records.size(), 1u);
    EXPECT_EQ(TimeToText(result.Records[0].Time), "09:00");
    ASSERT_EQ(result.Simplified.size(), 1u);
    EXPECT_NE(result.Simplified[0].Reason.find("Nowhere"), std::string::npos);
}

TEST(ICalendarRead, AZoneWithoutVTimezoneComesFromTheSystemsZoneFiles) {
    if (!std::ifstream("/usr/share/zoneinfo/Europe/Berlin")) GTEST_SKIP() << "no zone files";
    ZoneOverride zone("UTC0");
    const auto result = ReadICalendar(Calendar(
        "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;TZID=Europe/Berlin:20250701T100000\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;TZID=Europe/Berlin:20250115T100000\r\nEND:VEVENT\r\n"));
    ASSERT_EQ(result.Records.size(), 2u);
    EXPECT_EQ(TimeToText(result.Records[0].Time), "08:00");  // summer time, UTC+2
    EXPECT_EQ(TimeToText(result.Records[1].Time), "09:00");
    EXPECT_TRUE(result.Simplified.empty());
    // The machine's own zone is put back.
    ASSERT_NE(std::getenv("TZ"), nullptr);
    EXPECT_STREQ(std::getenv("TZ"), "UTC0");
}

TEST(ICalendarRead, NotACalendarFile) {
    using namespace std::string_literals;
    for (const std::string& text :
         {""s, "garbage\r\n"s, "BEGIN:VCALENDAR\r\nX:\0\0\0\0\0\0\x01\r\nEND:VCALENDAR\r\n"s}) {
        EXPECT_THROW(ReadICalendar(text), FormatError) << text;
    }
    const auto other = ReadICalendar("BEGIN:VCARD\r\nN:x\r\nEND:VCARD\r\n");
    EXPECT_TRUE(other.Records.empty());
    EXPECT_EQ(other.Skipped.size(), 1u);
}

// Each case: a calendar as some program writes it, and the local starts (TZ=UTC0) it gives.
struct ZoneCase {
    const char* what;
    std::string text;
    std::vector<std::string> starts;  // "YYYY-MM-DD HH:MM"
};

std::string StartOf(const Event& e) {
    DateParts d;
    TryDecodeDate(e.Date, d);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d ", d.year, d.month, d.day);
    return text + TimeToText(e.Time);
}

TEST(ICalendarRead, TimeZonesOfTheFileTheSystemAndWindows) {
    if (!std::ifstream("/usr/share/zoneinfo/America/Los_Angeles")) GTEST_SKIP() << "no zone files";
    ZoneOverride zone("UTC0");
    const ZoneCase cases[] = {
        {"a time before the first change of the file's zone takes the offset before it",
         Calendar("BEGIN:VTIMEZONE\r\nTZID:Australia/Sydney\r\n"
                  "BEGIN:STANDARD\r\nTZOFFSETFROM:+1100\r\nTZOFFSETTO:+1000\r\n"
                  "DTSTART:20080406T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=4;BYDAY=1SU\r\n"
                  "END:STANDARD\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:+1000\r\nTZOFFSETTO:+1100\r\n"
                  "DTSTART:20081005T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=1SU\r\n"
                  "END:DAYLIGHT\r\nEND:VTIMEZONE\r\n"
                  "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;TZID=Australia/Sydney:20050115T100000\r\n"
                  "END:VEVENT\r\n"
                  "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;TZID=Australia/Sydney:20250701T100000\r\n"
                  "END:VEVENT\r\n"),
         {"2005-01-14 23:00", "2025-07-01 00:00"}},
        {"a Windows zone name without VTIMEZONE, and the prefixed forms of zone names",
         Calendar(
             "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;TZID=Pacific Standard Time:20250115T090000\r\n"
             "END:VEVENT\r\n"
             "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;TZID=\"Pacific Standard Time\":20250701T090000\r\n"
             "END:VEVENT\r\n"
             "BEGIN:VEVENT\r\nUID:3\r\n"
             "DTSTART;TZID=/mozilla.org/20050126_1/Europe/Berlin:20250115T090000\r\n"
             "END:VEVENT\r\n"),
         {"2025-01-15 17:00", "2025-07-01 16:00", "2025-01-15 08:00"}},
    };
    for (const ZoneCase& c : cases) {
        const auto result = ReadICalendar(c.text);
        std::vector<std::string> starts;
        for (const Event& e : result.Records) starts.push_back(StartOf(e));
        EXPECT_EQ(starts, c.starts) << c.what;
        EXPECT_TRUE(result.Simplified.empty()) << c.what;
    }
}

TEST(ICalendarRead, ExcludedDatesAndChangedOccurrences) {
    ZoneOverride zone("UTC0");
    const auto result = ReadICalendar(Calendar(
        // The first Monday is excluded: the series starts on the second.
        "BEGIN:VEVENT\r\nUID:a\r\nDTSTART:20250106T090000\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n"
        "EXDATE:20250106T090000\r\nSUMMARY:second week\r\nEND:VEVENT\r\n"
        // Every occurrence excluded (one by a cancelled changed occurrence): nothing to take.
        "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20250101\r\nRRULE:FREQ=DAILY;COUNT=2\r\n"
        "EXDATE;VALUE=DATE:20250101\r\nSUMMARY:gone\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:b\r\nRECURRENCE-ID;VALUE=DATE:20250102\r\nSTATUS:CANCELLED\r\n"
        "DTSTART;VALUE=DATE:20250102\r\nEND:VEVENT\r\n"
        // An invitation to one occurrence of a series the file does not hold.
        "BEGIN:VEVENT\r\nUID:c\r\nRECURRENCE-ID:20250301T100000Z\r\n"
        "DTSTART:20250301T120000Z\r\nSUMMARY:one occurrence\r\nEND:VEVENT\r\n"
        // A series whose first occurrence was moved: the moved one is what is taken.
        "BEGIN:VEVENT\r\nUID:d\r\nRECURRENCE-ID:20250401T100000Z\r\n"
        "DTSTART:20250402T110000Z\r\nSUMMARY:moved\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:d\r\nDTSTART:20250401T100000Z\r\nRRULE:FREQ=MONTHLY\r\n"
        "EXDATE:20250501T100000Z\r\nSUMMARY:monthly\r\nEND:VEVENT\r\n"));
    std::vector<std::string> got;
    for (const Event& e : result.Records) got.push_back(e.Name + " " + StartOf(e));
    EXPECT_EQ(got, (std::vector<std::string>{"second week 2025-01-13 09:00",
                                             "one occurrence 2025-03-01 12:00",
                                             "moved 2025-04-02 11:00"}));
    EXPECT_EQ(result.Uids, (std::vector<std::string>{"a", "c", "d"}));
    ASSERT_EQ(result.Skipped.size(), 1u);
    EXPECT_EQ(result.Skipped[0].Line, 11u);
    EXPECT_NE(result.Skipped[0].Reason.find("every occurrence of 'gone'"), std::string::npos);
}

TEST(ICalendarRead, UnreadableLinesAreLeftOutAndTheRestIsRead) {
    // Producers' slips: a property without a colon, a parameter where the colon belongs, a
    // folded line that lost its blank, a block never ended, an error page after the end.
    const std::string text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"                                          // 1-2
        "BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20250308T090000\r\nSUMMARY:first\r\n"       // 3-6
        "LOCATION\r\nDESCRIPTION;Room 5\r\nEND:VEVENT\r\n"                            // 7-9
        "BEGIN:VEVENT\r\nUID:2\r\nDTSTART:20250309T090000\r\nDESCRIPTION:a long\r\n"  // 10-13
        "line that lost its blank\r\nSUMMARY:second\r\nEND:VEVENT\r\n"                // 14-16
        "BEGIN:VEVENT\r\nUID:3\r\nDTSTART:20250310T090000\r\n"                        // 17-19
        "END:VCALENDAR\r\n"                                                           // 20
        "<html>\r\n<body>502 Bad Gateway</body>\r\n</html>\r\n";                      // 21-23
    const auto result = ReadICalendar(text);
    std::vector<std::string> names;
    for (const Event& e : result.Records) names.push_back(e.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(result.Records.at(1).Memo, StrList{"a long"});
    std::vector<std::size_t> lines;
    for (const ImportNote& note : result.Warnings) lines.push_back(note.Line);
    EXPECT_EQ(lines, (std::vector<std::size_t>{7, 8, 14, 21}));
    EXPECT_EQ(result.LinesLeftOut(), 6u);
    ASSERT_EQ(result.Skipped.size(), 1u);
    EXPECT_EQ(result.Skipped[0].Line, 17u);
}

TEST(ICalendarRead, Utf16AndWindows1251Files) {
    const std::string utf8 = Calendar(
        "BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20250308T090000\r\nSUMMARY:Встреча\r\nEND:VEVENT\r\n");
    const auto utf16 = [&](bool bigEndian, bool mark) {
        std::string out = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char32_t c : std::u32string(U"") + [&] {
                 std::u32string wide;
                 for (std::size_t i = 0; i < utf8.size();) {
                     const unsigned char b = utf8[i];
                     const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
                     char32_t code = n == 1 ? b : n == 2 ? b & 0x1F : b & 0x0F;
                     for (int k = 1; k < n; ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
                     wide += code;
                     i += n;
                 }
                 return wide;
             }()) {
            const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        return out;
    };
    for (const std::string& text : {utf16(false, true), utf16(true, true), utf16(false, false),
                                    utf16(true, false), Cp(utf8)}) {
        const auto result = ReadICalendar(text);
        ASSERT_EQ(result.Records.size(), 1u);
        EXPECT_EQ(result.Records[0].Name, Cp("Встреча"));
    }
}

}  // namespace
}  // namespace pomix::dataio
