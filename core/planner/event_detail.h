// Internals shared by the planner's core sources; not for the windows.
#pragma once

#include "core/planner/event.h"

namespace pomix::detail {

// The whole-day number that orders events by date (see CompareEventDates).
long long DayKey(DateTime value);

}  // namespace pomix::detail
