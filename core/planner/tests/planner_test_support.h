// Building events for the planner tests.
#pragma once

#include <string>
#include <vector>

#include "core/planner/event.h"
#include "storage/tests/test_support.h"

namespace pomix::testing {

inline Event MakeEvent(const std::string& name, DateTime date, DateTime time = 0,
                       std::uint8_t remind = 0, std::uint8_t done = 0, const StrList& memo = {}) {
    return Event(name, memo, date, time, 1, remind, done);
}

inline std::vector<std::string> Names(const EventList& list) {
    std::vector<std::string> names;
    for (const Event& event : list) names.push_back(event.Name);
    return names;
}

inline std::vector<std::string> Texts(const std::vector<EventLine>& lines) {
    std::vector<std::string> texts;
    for (const EventLine& line : lines) texts.push_back(line.Text);
    return texts;
}

}  // namespace pomix::testing
