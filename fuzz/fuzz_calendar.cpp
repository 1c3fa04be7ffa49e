// Arbitrary bytes as a "Calendar" stream: reading never goes past the end, whatever is read
// writes back to bytes that read the same, and every list rule copes with the odd values.
#include <cstdint>
#include <cstdlib>

#include "core/planner/calendar_format.h"
#include "core/planner/day_rules.h"
#include "core/planner/event_search.h"
#include "core/planner/event_sort.h"
#include "core/planner/reminders.h"
#include "storage/errors.h"

using namespace pomix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryStream in(Bytes(data, data + size));
    EventList list;
    try {
        ReadCalendar(in, list);
    } catch (const EStreamReadError&) {
    }
    if (in.Position() > size) std::abort();

    MemoryStream first;
    WriteCalendar(list, first);
    first.Seek(0);
    EventList again;
    ReadCalendar(first, again);
    MemoryStream second;
    WriteCalendar(again, second);
    if (first.Data() != second.Data()) std::abort();

    const DateTime day = list.Empty() ? 0 : list[0].Date;
    std::vector<EventRef> due;
    DueEvents(list, day, 60, due);
    ReminderLines(list, due);
    SpanLines(list, day - 10, day + 10);
    std::vector<EventLine> found;
    Found(list, list.Empty() ? "*" : list[0].Name + "*", SearchField::Everywhere, found);
    SortEvents(list, kSortByDate);
    SortEvents(list, kSortByName);
    DayLines(list, day);
    PlannedDays(list);
    return 0;
}
