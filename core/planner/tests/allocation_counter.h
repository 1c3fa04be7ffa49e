// How many allocations the test program has made so far, so a test can see that a call made none.
#pragma once

#include <cstddef>

namespace pomix::testing {

std::size_t AllocationCount();

}  // namespace pomix::testing
