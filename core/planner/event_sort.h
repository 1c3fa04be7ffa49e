// Reordering the event list by a column of the all-records list.
#pragma once

#include "core/planner/event.h"

namespace pomix {

inline constexpr int kSortByDate = 1;  // tag of the "Дата" header
inline constexpr int kSortByName = 2;  // tag of the "Название" header

// Sorts the list in place by whole days (key 1) or by title ignoring case (key 2), ascending,
// with the planner's one quicksort; it is not stable, and which of several equal events comes
// first is exactly what that quicksort gives. Any other key leaves the list as it is.
// Returns whether a sort was done. Does not renumber.
bool SortEvents(EventList& list, int key);

}  // namespace pomix
