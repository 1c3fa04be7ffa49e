#include "dump_kinds.h"
#include "planner/calendar_format.h"

namespace pomix::tool {

RecordTable CalendarTable(const std::string& path) {
    EventList events;
    ReadDataFile(path, kCalendarStream, [&](Stream& s) { ReadCalendar(s, events); });
    return TableOf(
        events,
        [](const Tevent& event, Row& row) {
            row.Text("Name", event.Name)
                .Lines("Memo", event.Memo)
                .Day("Date", event.Date)
                .TimeOfDay("Time", event.Time)
                .Integer("Reserved", event.Reserved)
                .Integer("Remind", event.Remind)
                .Integer("Done", event.Done);
        },
        Tevent());
}

}  // namespace pomix::tool
