#include "planner/tests/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t allocations = 0;
}

// The program-wide allocation functions, replaced to count.
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace pomix::testing {

std::size_t AllocationCount() { return allocations; }

}  // namespace pomix::testing
