// The iCalendar reader takes any bytes: it refuses them with FormatError or reads events,
// never reads out of bounds or runs away. Events it reads, written out and read again, come
// back the same (the export's times are floating, so no time zone moves them).
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exchange/content_line.h"
#include "core/exchange/icalendar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    pomix::dataio::ImportResult<pomix::Event> first;
    try {
        first = pomix::dataio::ReadICalendar(text);
    } catch (const pomix::dataio::FormatError&) {
        return 0;
    }
    pomix::EventList list;
    for (const pomix::Event& e : first.Records) list.Append(e);
    const auto written = pomix::dataio::WriteICalendar(list, 15, 0);
    if (written.Written != list.Count()) __builtin_trap();
    const auto again = pomix::dataio::ReadICalendar(written.Text);
    if (again.Records.size() != list.Count() || !again.Skipped.empty()) __builtin_trap();
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const pomix::Event& a = list[i];
        const pomix::Event& b = again.Records[i];
        if (a.Name != b.Name || a.Memo != b.Memo || a.Date != b.Date || a.Time != b.Time ||
            a.Remind != b.Remind || a.Done != b.Done) {
            __builtin_trap();
        }
    }
    return 0;
}
