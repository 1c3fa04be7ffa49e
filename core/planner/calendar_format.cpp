#include "core/planner/calendar_format.h"

#include <algorithm>
#include <cstdint>

namespace pomix {
namespace {

// The smallest record: empty title (4), empty memo (4), two dates, Reserved and two flags.
constexpr std::uint64_t kMinRecordSize = 4 + 4 + 8 + 8 + 4 + 1 + 1;

Event ReadEvent(Stream& stream) {
    Event event;
    event.Name = ReadStr(stream);
    event.Memo = ReadStrList(stream);
    event.Date = stream.ReadValue<double>();
    event.Time = stream.ReadValue<double>();
    event.Reserved = stream.ReadValue<std::int32_t>();
    event.Remind = stream.ReadValue<std::uint8_t>();
    event.Done = stream.ReadValue<std::uint8_t>();
    return event;
}

}  // namespace

void ReadCalendar(Stream& stream, EventList& list) {
    const std::int32_t count = stream.ReadValue<std::int32_t>();
    if (count <= 0) return;
    list.Reserve(list.Count() + ReadableCount(count, stream, kMinRecordSize));
    for (std::int32_t i = 0; i < count; ++i) list.Append(ReadEvent(stream));
}

void WriteCalendar(const EventList& list, Stream& stream) {
    stream.WriteValue(static_cast<std::int32_t>(list.Count()));
    for (const Event& event : list) {
        WriteStr(event.Name, stream);
        WriteStrList(event.Memo, stream);
        stream.WriteValue(event.Date);
        stream.WriteValue(event.Time);
        stream.WriteValue(event.Reserved);
        stream.WriteValue(event.Remind);
        stream.WriteValue(event.Done);
    }
}

}  // namespace pomix
