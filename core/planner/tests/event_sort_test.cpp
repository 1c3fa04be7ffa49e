#include "core/planner/event_sort.h"

#include <gtest/gtest.h>

#include <random>

#include "core/planner/tests/planner_test_support.h"

namespace pomix {
namespace {

using testing::Day;
using testing::MakeEvent;
using testing::Names;

EventList ByDays(const std::vector<std::pair<std::string, int>>& events) {
    EventList list;
    for (const auto& [name, day] : events) list.Append(MakeEvent(name, Day(2025, 1, day)));
    return list;
}

EventList ByTitles(const std::vector<std::string>& titles) {
    EventList list;
    for (const std::string& title : titles) list.Append(MakeEvent(title, 0));
    return list;
}

using Order = std::vector<std::string>;

// The expected orders are the quicksort's steps followed by hand (pivot = the record in the
// middle of the range, equal keys exchanged); they fix which of several equal events comes
// first, which the sort does not keep.
TEST(SortEvents, ByDateFollowsTheQuicksortStepByStep) {
    // Days 3 1 2 1 3. First pass, pivot c(2): a<->d, then c with itself; then 3..4 with pivot a:
    // a<->e; then 0..1 with pivot d: d<->b.
    EventList list = ByDays({{"a", 3}, {"b", 1}, {"c", 2}, {"d", 1}, {"e", 3}});
    SortEvents(list, kSortByDate);
    EXPECT_EQ(Names(list), (Order{"b", "d", "c", "e", "a"}));
}

TEST(SortEvents, EqualKeysAreExchanged) {
    // All on one day: the first pass exchanges the ends, so three equal events come out reversed.
    EventList same = ByDays({{"x", 5}, {"y", 5}, {"z", 5}});
    SortEvents(same, kSortByDate);
    EXPECT_EQ(Names(same), (Order{"z", "y", "x"}));

    // b A a B by title: pivot A; b<->a, A with itself; then 2..3 with pivot b: b<->B.
    EventList titles = ByTitles({"b", "A", "a", "B"});
    SortEvents(titles, kSortByName);
    EXPECT_EQ(Names(titles), (Order{"a", "A", "B", "b"}));
}

TEST(SortEvents, DateSortIgnoresTheTimeOfDay) {
    EventList list;
    list.Append(MakeEvent("new year", Day(2025, 1, 1), EncodeTime(0, 0)));
    list.Append(MakeEvent("eve", Day(2024, 12, 31) + 0.9, EncodeTime(23, 59)));
    list.Append(MakeEvent("eve morning", Day(2024, 12, 31), EncodeTime(8, 0)));
    // Pivot "eve" (position 1): "new year"<->"eve morning", then "eve" with itself.
    SortEvents(list, kSortByDate);
    EXPECT_EQ(Names(list), (Order{"eve morning", "eve", "new year"}));
}

TEST(SortEvents, OtherKeysChangeNothing) {
    for (int key : {0, 3, -1, 100}) {
        EventList list = ByDays({{"c", 3}, {"a", 1}, {"b", 2}});
        EXPECT_FALSE(SortEvents(list, key)) << key;
        EXPECT_EQ(Names(list), (Order{"c", "a", "b"})) << key;
    }
}

TEST(SortEvents, LargeListsEndUpOrderedWithEveryEventKept) {
    std::mt19937 random(7);
    for (int size : {2, 3, 17, 1000}) {
        EventList list;
        for (int i = 0; i < size; ++i) {
            const int day = static_cast<int>(random() % 10) + 1;
            list.Append(MakeEvent(std::string(1, static_cast<char>('a' + random() % 26)),
                                  Day(2025, 2, day), 0));
        }
        std::vector<EventRef> refs;
        for (std::size_t i = 0; i < list.Count(); ++i) refs.push_back(list.RefAt(i));
        for (int key : {kSortByDate, kSortByName}) {
            SortEvents(list, key);
            for (std::size_t i = 1; i < list.Count(); ++i) {
                const int cmp = key == kSortByDate ? CompareEventDates(list[i - 1], list[i])
                                                   : CompareEventNames(list[i - 1], list[i]);
                ASSERT_LE(cmp, 0) << "size " << size << " key " << key << " at " << i;
            }
            for (const EventRef& ref : refs) ASSERT_NE(list.Find(ref), nullptr);
        }
    }
}

}  // namespace
}  // namespace pomix
