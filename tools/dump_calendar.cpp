#include "dump_kinds.h"
#include "json.h"
#include "planner/calendar_format.h"

namespace pomix::tool {

void DumpCalendar(const std::string& path, std::ostream& out) {
    EventList events;
    ReadDataFile(path, kCalendarStream, [&](Stream& s) { ReadCalendar(s, events); });
    std::vector<std::string> objects;
    objects.reserve(events.Count());
    for (const Tevent& event : events) {
        objects.push_back(JsonObject()
                              .Text("Name", event.Name)
                              .Lines("Memo", event.Memo)
                              .Number("Date", event.Date)
                              .Number("Time", event.Time)
                              .Integer("Reserved", event.Reserved)
                              .Integer("Remind", event.Remind)
                              .Integer("Done", event.Done)
                              .Str());
    }
    PrintArray(out, objects);
}

}  // namespace pomix::tool
