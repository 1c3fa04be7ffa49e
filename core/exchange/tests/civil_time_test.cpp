#include "core/exchange/civil_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "core/exchange/tests/zone_override.h"

namespace pomix::dataio {
namespace {

long long Utc(int y, int mo, int d, int h, int mi) {
    return CivilToSeconds({y, mo, d, h, mi, 0});
}

// The days themselves are the calendar arithmetic's (dates_test); here the seconds of the day,
// before and after 1970.
TEST(CivilTime, SecondsRoundTripAcrossTheYearsTheProgramHolds) {
    for (const CivilTime t :
         {CivilTime{1, 1, 1, 0, 0, 0}, CivilTime{1969, 12, 31, 23, 59, 59},
          CivilTime{2024, 2, 29, 6, 7, 8}, CivilTime{9999, 12, 31, 23, 59, 59}}) {
        EXPECT_EQ(SecondsToCivil(CivilToSeconds(t)), t) << t.Year;
    }
    EXPECT_EQ(CivilToSeconds({1970, 1, 2, 1, 0, 1}), 86400 + 3600 + 1);
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
