#include "planner/event_sort.h"

#include <utility>
#include <vector>

namespace pomix {
namespace {

using Comparer = int (*)(const Tevent&, const Tevent&);

// Hoare partitioning around the record in the middle of the range. The pivot is that record,
// not that position: exchanges may move it, and the comparisons follow it. Equal keys are
// exchanged too, which is what decides the order of equal events. The subranges left after a
// partition never overlap, so handling them from an explicit stack instead of by recursion
// gives the same result while keeping a degenerate list from exhausting the call stack.
void QuickSort(EventList& list, Comparer compare) {
    if (list.Count() < 2) return;
    const auto at = [&list](std::ptrdiff_t k) -> const Tevent& {
        return list[static_cast<std::size_t>(k)];
    };
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> pending;
    pending.emplace_back(0, static_cast<std::ptrdiff_t>(list.Count()) - 1);
    while (!pending.empty()) {
        auto [first, last] = pending.back();
        pending.pop_back();
        std::ptrdiff_t i = 0;
        do {
            i = first;
            std::ptrdiff_t j = last;
            std::ptrdiff_t pivot = (first + last) / 2;
            do {
                // With a consistent comparer the scans stop inside the range by themselves;
                // the bounds only matter if a comparer ever were not.
                while (i < last && compare(at(i), at(pivot)) < 0) ++i;
                while (j > first && compare(at(j), at(pivot)) > 0) --j;
                if (i <= j) {
                    list.Swap(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
                    if (pivot == i) {
                        pivot = j;
                    } else if (pivot == j) {
                        pivot = i;
                    }
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (first < j) pending.emplace_back(first, j);
            first = i;
        } while (i < last);
    }
}

}  // namespace

bool SortEvents(EventList& list, int key) {
    switch (key) {
        case kSortByDate: QuickSort(list, CompareEventDates); return true;
        case kSortByName: QuickSort(list, CompareEventNames); return true;
        default: return false;
    }
}

}  // namespace pomix
