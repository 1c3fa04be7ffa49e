// Fixtures shared by the core tests: a fixed clock and a counter on the report hook.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/cp1251.h"
#include "storage/dates.h"
#include "storage/report.h"

namespace pomix::testing {

// Code page 1251 bytes of a UTF-8 literal.
inline std::string W(const char* utf8) { return Utf8ToCp1251(utf8); }

inline DateTime Day(int year, int month, int day) {
    DateTime value = 0;
    EXPECT_TRUE(TryEncodeDate(year, month, day, value));
    return value;
}

// Freezes Now() and records every report while it lives.
class FrozenClockAndReports {
public:
    explicit FrozenClockAndReports(DateTime now) {
        previousClock_ = SetClock([now] { return now; });
        previousHook_ = SetReportHook([this](const std::string& m) { reports.push_back(m); });
    }
    ~FrozenClockAndReports() {
        SetClock(previousClock_);
        SetReportHook(previousHook_);
    }
    std::vector<std::string> reports;

private:
    Clock previousClock_;
    ReportHook previousHook_;
};

}  // namespace pomix::testing
