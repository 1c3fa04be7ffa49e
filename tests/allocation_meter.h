// The most memory taken through operator new at any one moment while a meter lives, beyond
// what was taken when it started. The test program that links allocation_meter.cpp counts
// every allocation; only one meter may be alive at a time.
#pragma once

#include <cstddef>

namespace pomix::testing {

class AllocationMeter {
public:
    AllocationMeter();
    std::size_t Peak() const;

private:
    std::size_t start_;
};

}  // namespace pomix::testing
