#include "core/exchange/records_csv.h"
#include "dump_kinds.h"
#include "core/planner/calendar_format.h"

namespace pomix::tool {

RecordTable CalendarTable(const std::string& path) {
    EventList events;
    ReadDataFile(path, kCalendarStream, [&](Stream& s) { ReadCalendar(s, events); });
    return TableOf(events, dataio::DescribeEvent, Tevent());
}

}  // namespace pomix::tool
