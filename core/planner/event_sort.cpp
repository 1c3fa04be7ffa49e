#include "core/planner/event_sort.h"

#include <utility>
#include <vector>

#include "core/planner/event_detail.h"
#include "storage/text.h"

namespace pomix {
namespace {

// Hoare partitioning around the item in the middle of the range. The pivot is that item, not
// that position: exchanges may move it, and the comparisons follow it. Equal keys are
// exchanged too, which is what decides the order of equal events. The subranges left after a
// partition never overlap, so handling them from an explicit stack instead of by recursion
// gives the same result while keeping a degenerate list from exhausting the call stack.
//
// The sort runs over small items (a key and the event's position) rather than the events, so
// an exchange moves a few bytes; the outcome depends only on the comparisons and exchanges,
// so applying the final order to the list gives exactly what sorting the list would.
template <class Item, class Compare>
void QuickSort(std::vector<Item>& items, Compare compare) {
    if (items.size() < 2) return;
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> pending;
    pending.emplace_back(0, static_cast<std::ptrdiff_t>(items.size()) - 1);
    const auto at = [&items](std::ptrdiff_t k) -> Item& { return items[static_cast<std::size_t>(k)]; };
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
                    std::swap(at(i), at(j));
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

template <class Key>
struct Item {
    Key key;
    std::size_t position;
};

template <class Key, class MakeKey, class Compare>
void SortBy(EventList& list, MakeKey makeKey, Compare compare) {
    std::vector<Item<Key>> items;
    items.reserve(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i) items.push_back({makeKey(list[i]), i});
    QuickSort(items, [&compare](const Item<Key>& a, const Item<Key>& b) {
        return compare(a.key, b.key);
    });
    std::vector<std::size_t> order;
    order.reserve(items.size());
    for (const auto& item : items) order.push_back(item.position);
    list.Reorder(order);
}

}  // namespace

bool SortEvents(EventList& list, int key) {
    switch (key) {
        case kSortByDate:
            // The same order as CompareEventDates, with each event's day worked out once.
            SortBy<long long>(
                list, [](const Event& e) { return detail::DayKey(e.Date); },
                [](long long a, long long b) { return a < b   ? -1
                                                      : a > b ? 1
                                                              : 0; });
            return true;
        case kSortByName:
            SortBy<const std::string*>(
                list, [](const Event& e) { return &e.Name; },
                [](const std::string* a, const std::string* b) { return CompareNoCase(*a, *b); });
            return true;
        default:
            return false;
    }
}

}  // namespace pomix
