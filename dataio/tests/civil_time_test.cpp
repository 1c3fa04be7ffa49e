#include "dataio/civil_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace pomix::dataio {
namespace {

// Sets the machine's time zone for one test and puts the old one back.
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

ZoneTable ZonesOf(const std::string& text) {
    ZoneTable zones;
    for (const Component& block : ReadComponents(text)) zones.Add(block);
    return zones;
}

// Central Europe since 1996: summer time from the last Sunday of March, 02:00, to the last
// Sunday of October, 03:00.
const char kBerlin[] =
    "BEGIN:VTIMEZONE\r\nTZID:/Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nDTSTART:19700329T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nDTSTART:19701025T030000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

// Sydney: summer time from the first Sunday of October to the first Sunday of April, across
// the turn of the year.
const char kSydney[] =
    "BEGIN:VTIMEZONE\r\nTZID:Australia/Sydney\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+1100\r\nTZOFFSETTO:+1000\r\nDTSTART:20080406T030000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=4;BYDAY=1SU\r\nEND:STANDARD\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+1000\r\nTZOFFSETTO:+1100\r\nDTSTART:20081005T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=1SU\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n";

long long Utc(int y, int mo, int d, int h, int mi) {
    return CivilToSeconds({y, mo, d, h, mi, 0});
}

TEST(CivilTime, SecondsRoundTripAcrossTheYearsTheProgramHolds) {
    for (const CivilTime t :
         {CivilTime{1, 1, 1, 0, 0, 0}, CivilTime{1600, 2, 29, 12, 0, 1},
          CivilTime{1899, 12, 30, 0, 0, 0}, CivilTime{1969, 12, 31, 23, 59, 59},
          CivilTime{2024, 2, 29, 6, 7, 8}, CivilTime{9999, 12, 31, 23, 59, 59}}) {
        EXPECT_EQ(SecondsToCivil(CivilToSeconds(t)), t) << t.Year;
    }
    EXPECT_EQ(CivilToSeconds({1970, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(CivilToSeconds({2000, 3, 1, 0, 0, 0}) - CivilToSeconds({2000, 2, 28, 0, 0, 0}),
              2 * 86400);
    EXPECT_EQ(WeekDay(2025, 3, 8), 5);  // a Saturday
    EXPECT_EQ(WeekDay(1899, 12, 30), 5);
}

TEST(CivilTime, ProgramDatesAndIsoTexts) {
    const CivilTime t{2025, 3, 8, 9, 30, 0};
    const DateTime value = ToDateTime(t);
    EXPECT_EQ(FromDateTime(value), t);
    EXPECT_EQ(IsoDate(value), "2025-03-08");
    EXPECT_EQ(IsoTime(value), "09:30");
    EXPECT_EQ(IsoDateTime(value), "2025-03-08T09:30:00");
    EXPECT_EQ(IsoDate(1e300), "");
    EXPECT_EQ(IsoDateTime(-1e9), "");
}

TEST(ICalTimes, FormsThatAreTakenAndRefused) {
    const auto local = ParseICalTime("20250308T093000");
    ASSERT_TRUE(local);
    EXPECT_EQ(local->Time, (CivilTime{2025, 3, 8, 9, 30, 0}));
    EXPECT_FALSE(local->Utc);
    EXPECT_FALSE(local->DateOnly);
    const auto utc = ParseICalTime("2025-03-08T09:30:15Z");
    ASSERT_TRUE(utc);
    EXPECT_TRUE(utc->Utc);
    EXPECT_EQ(utc->Time.Second, 15);
    const auto day = ParseICalTime("20250308");
    ASSERT_TRUE(day);
    EXPECT_TRUE(day->DateOnly);
    EXPECT_TRUE(ParseICalTime("20250308T0930"));
    for (const char* bad : {"", "2025", "20250230", "20251308T000000", "20250308T250000",
                            "20250308X093000", "20250308T093000ZZ", "abcdefgh"}) {
        EXPECT_FALSE(ParseICalTime(bad)) << bad;
    }
    EXPECT_EQ(ParseUtcOffset("+0300"), 3 * 3600);
    EXPECT_EQ(ParseUtcOffset("-0530"), -(5 * 3600 + 30 * 60));
    EXPECT_EQ(ParseUtcOffset("+013015"), 3600 + 30 * 60 + 15);
    EXPECT_FALSE(ParseUtcOffset("0300"));
    EXPECT_FALSE(ParseUtcOffset("+2500"));
}

TEST(Zones, YearlyRulesGiveTheOffsetOfEachSideOfAChange) {
    const ZoneTable zones = ZonesOf(kBerlin);
    ASSERT_TRUE(zones.Knows("Europe/Berlin"));
    ASSERT_TRUE(zones.Knows("\"/Europe/Berlin\""));
    struct Case {
        CivilTime wall;
        long long utc;
    } cases[] = {
        {{2025, 1, 15, 10, 0, 0}, Utc(2025, 1, 15, 9, 0)},     // winter
        {{2025, 7, 1, 10, 0, 0}, Utc(2025, 7, 1, 8, 0)},       // summer
        {{2025, 3, 30, 1, 59, 0}, Utc(2025, 3, 30, 0, 59)},    // just before the spring change
        {{2025, 3, 30, 3, 0, 0}, Utc(2025, 3, 30, 1, 0)},      // just after
        {{2025, 10, 26, 3, 0, 0}, Utc(2025, 10, 26, 2, 0)},    // after the autumn change
        {{2025, 12, 31, 23, 0, 0}, Utc(2025, 12, 31, 22, 0)},  // the rule of the year before
        {{1960, 7, 1, 12, 0, 0}, Utc(1960, 7, 1, 11, 0)},      // before the first onset
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zones.ToUtc("Europe/Berlin", c.wall), c.utc) << c.wall.Month << "-" << c.wall.Day;
    }
}

TEST(Zones, SouthernSummerSpansTheTurnOfTheYear) {
    const ZoneTable zones = ZonesOf(kSydney);
    EXPECT_EQ(zones.ToUtc("Australia/Sydney", {2025, 1, 10, 12, 0, 0}), Utc(2025, 1, 10, 1, 0));
    EXPECT_EQ(zones.ToUtc("Australia/Sydney", {2025, 6, 10, 12, 0, 0}), Utc(2025, 6, 10, 2, 0));
    EXPECT_EQ(zones.ToUtc("Australia/Sydney", {2025, 12, 10, 12, 0, 0}), Utc(2025, 12, 10, 1, 0));
}

TEST(Zones, FixedOffsetsRdatesAndBrokenZones) {
    const ZoneTable zones = ZonesOf(
        "BEGIN:VTIMEZONE\r\nTZID:Fixed\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
        "TZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
        "BEGIN:VTIMEZONE\r\nTZID:Moved\r\nBEGIN:STANDARD\r\nDTSTART:20000101T000000\r\n"
        "TZOFFSETFROM:+0400\r\nTZOFFSETTO:+0400\r\nRDATE:20110327T020000\r\nEND:STANDARD\r\n"
        "BEGIN:STANDARD\r\nDTSTART:20141026T020000\r\nTZOFFSETFROM:+0400\r\nTZOFFSETTO:+0300\r\n"
        "END:STANDARD\r\nEND:VTIMEZONE\r\n");
    EXPECT_EQ(zones.ToUtc("Fixed", {2025, 7, 1, 12, 0, 0}), Utc(2025, 7, 1, 9, 0));
    EXPECT_EQ(zones.ToUtc("Moved", {2013, 7, 1, 12, 0, 0}), Utc(2013, 7, 1, 8, 0));
    EXPECT_EQ(zones.ToUtc("Moved", {2015, 7, 1, 12, 0, 0}), Utc(2015, 7, 1, 9, 0));
    EXPECT_FALSE(zones.Knows("Europe/Berlin"));

    ZoneTable broken;
    for (const char* text :
         {"BEGIN:VTIMEZONE\r\nTZID:A\r\nEND:VTIMEZONE\r\n",
          "BEGIN:VTIMEZONE\r\nTZID:A\r\nBEGIN:STANDARD\r\nTZOFFSETTO:+0100\r\n"
          "END:STANDARD\r\nEND:VTIMEZONE\r\n",
          "BEGIN:VTIMEZONE\r\nBEGIN:STANDARD\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"}) {
        EXPECT_THROW(broken.Add(ReadComponents(text).at(0)), FormatError) << text;
    }
}

TEST(Zones, UtcBecomesTheMachinesLocalTime) {
    {
        ZoneOverride zone("UTC0");
        EXPECT_EQ(UtcToLocal(Utc(2025, 7, 1, 8, 0)), (CivilTime{2025, 7, 1, 8, 0, 0}));
    }
    {
        ZoneOverride zone("MSK-3");  // three hours east, no summer time
        EXPECT_EQ(UtcToLocal(Utc(2025, 12, 31, 22, 30)), (CivilTime{2026, 1, 1, 1, 30, 0}));
    }
}

}  // namespace
}  // namespace pomix::dataio
