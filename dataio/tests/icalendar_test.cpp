#include "dataio/icalendar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <set>

#include "dataio/civil_time.h"
#include "dataio/content_line.h"
#include "storage/cp1251.h"

namespace pomix::dataio {
namespace {

class ZoneOverride {
public:
    explicit ZoneOverride(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneOverride() {
        if (saved_) {
            setenv("TZ", saved_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::optional<std::string> saved_;
};

std::string Cp(const std::string& utf8) {
    return Utf8ToCp1251(utf8);
}

DateTime Day(int y, int m, int d) {
    DateTime value = 0;
    TryEncodeDate(y, m, d, value);
    return value;
}

Tevent Event(const std::string& name, DateTime day, int hour, int minute, StrList memo,
             std::uint8_t remind, std::uint8_t done) {
    return Tevent(Cp(name), memo, day, EncodeTime(hour, minute), 1, remind, done);
}

std::string Calendar(const std::string& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

TEST(ICalendarRoundTrip, EventsComeBackWithTheirDayTimeTextAndFlags) {
    ZoneOverride zone("MSK-3");
    EventList list;
    list.Append(Event("Встреча, важная; очень", Day(2025, 3, 8), 9, 30,
                      {Cp("первая \\ строка"), "", Cp("третья")}, 1, 0));
    list.Append(Event("Done", Day(1999, 12, 31), 23, 59, {}, 0, 1));
    list.Append(Event(std::string(200, 'x'), Day(2025, 1, 1), 0, 0, {""}, 1, 1));
    const CalendarExport out = WriteICalendar(list, 15, 1'700'000'000);
    EXPECT_EQ(out.Written, 3u);
    const auto result = ReadICalendar(out.Text);
    ASSERT_EQ(result.Records.size(), list.Count());
    EXPECT_TRUE(result.Skipped.empty());
    EXPECT_TRUE(result.Simplified.empty());
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const Tevent& a = list[i];
        const Tevent& b = result.Records[i];
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
    list.Append(Event("A", Day(2025, 3, 8), 9, 5, {}, 1, 1));
    list.Append(Event("B", Day(2025, 3, 8), 9, 5, {}, 2, 2));  // flags other than 1 are off
    const auto blocks = ReadComponents(WriteICalendar(list, 90, 0).Text);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].Children.size(), 2u);
    const Component& a = blocks[0].Children[0];
    EXPECT_EQ(a.Find("DTSTART")->Value, "20250308T090500");
    EXPECT_TRUE(a.Find("DTSTART")->Params.empty());
    EXPECT_EQ(a.Find("DTSTAMP")->Value, "19700101T000000Z");
    ASSERT_EQ(a.Children.size(), 1u);
    EXPECT_EQ(a.Children[0].Find("TRIGGER")->Value, "-PT90M");
    EXPECT_EQ(a.Children[0].Find("ACTION")->Value, "DISPLAY");
    EXPECT_EQ(DecodeValue(*a.Find("CATEGORIES")), kDoneCategory);
    const Component& b = blocks[0].Children[1];
    EXPECT_TRUE(b.Children.empty());
    EXPECT_EQ(b.Find("CATEGORIES"), nullptr);
}

TEST(ICalendarWrite, UidsAreStableAndDistinct) {
    EventList list;
    list.Append(Event("A", Day(2025, 3, 8), 9, 0, {}, 0, 0));
    list.Append(Event("A", Day(2025, 3, 8), 9, 0, {}, 0, 0));  // the same event twice
    list.Append(Event("A", Day(2025, 3, 9), 9, 0, {}, 0, 0));
    list.Append(Event("A", Day(2025, 3, 8), 9, 0, {"x"}, 0, 0));
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
    list.Append(Event("bad", 1e300, 9, 0, {}, 0, 0));
    list.Append(Event("good", Day(2025, 1, 1), 9, 0, {}, 0, 0));
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
    ASSERT_EQ(result.Skipped.size(), 5u);
    EXPECT_NE(result.Skipped[1].Reason.find("VTODO"), std::string::npos);
    EXPECT_NE(result.Skipped[2].Reason.find("VJOURNAL"), std::string::npos);
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
    const Tevent& a = result.Records[0];
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
    EXPECT_THROW(ReadICalendar(""), FormatError);
    EXPECT_THROW(ReadICalendar("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VCALENDAR\r\n"),
                 FormatError);
    const auto other = ReadICalendar("BEGIN:VCARD\r\nN:x\r\nEND:VCARD\r\n");
    EXPECT_TRUE(other.Records.empty());
    EXPECT_EQ(other.Skipped.size(), 1u);
}

}  // namespace
}  // namespace pomix::dataio
