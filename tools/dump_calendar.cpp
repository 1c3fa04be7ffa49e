#include "core/exchange/records_csv.h"
#include "dump_kinds.h"
#include "core/planner/calendar_format.h"

namespace pomix::tool {

dataio::RecordTable CalendarTable(const std::string& path) {
    EventList events;
    ReadDataFile(path, kCalendarStream, [&](Stream& s) { ReadCalendar(s, events); });
    return dataio::TableOf(events, dataio::DescribeEvent, Event());
}

}  // namespace pomix::tool
