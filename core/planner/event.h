// The planner's event record, the ordered list that owns the events, and the rules by which
// events are compared and picked for a day or a span of days.
//
// Lines shown by the planner (day list, all-records list, search results, reminder list) never
// hold a pointer to an event: they hold an EventRef, a stable id plus the position the event
// had when the line was built. EventList::Find turns it back into the event, or into nullptr
// once the event has been deleted, so a stale line can never reach a destroyed record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/dates.h"
#include "storage/field_codec.h"

namespace pomix {

// One dated occurrence. Remind and Done hold the stored byte as it is: the planner only ever
// tests them for exactly 1, so any other value survives loading, editing other fields and saving.
struct Event {
    Event() = default;
    Event(std::string name, const StrList& memo, DateTime date, DateTime time,
          std::int32_t reserved, std::uint8_t remind, std::uint8_t done)
        : Name(std::move(name)),
          Memo(memo),
          Date(date),
          Time(time),
          Reserved(reserved),
          Remind(remind),
          Done(done) {}

    std::int32_t Index = 0;  // position in the list as of the last RenumberEvents; not stored
    std::string Name;
    StrList Memo;
    DateTime Date = 0;  // only the whole-day part counts
    DateTime Time = 0;  // only the hour and minute of the fraction count
    std::int32_t Reserved = 1;
    std::uint8_t Remind = 0;
    std::uint8_t Done = 0;
};

using EventId = std::uint64_t;

// What a list line carries to reach its event. Id 0 never names an event.
struct EventRef {
    EventId Id = 0;
    std::int32_t Index = -1;  // where the event was when the reference was taken
    bool operator==(const EventRef&) const = default;
};

// A line of one of the planner's lists and the event it stands for.
struct EventLine {
    std::string Text;
    EventRef Event;
};

// The events in file order. Each event gets an id when it enters the list; ids are never reused
// within one list, so a reference to a deleted event stays dead.
class EventList {
public:
    using iterator = std::vector<Event>::iterator;
    using const_iterator = std::vector<Event>::const_iterator;

    std::size_t Count() const { return events_.size(); }
    bool Empty() const { return events_.empty(); }
    Event& operator[](std::size_t index) { return events_[index]; }
    const Event& operator[](std::size_t index) const { return events_[index]; }
    iterator begin() { return events_.begin(); }
    iterator end() { return events_.end(); }
    const_iterator begin() const { return events_.begin(); }
    const_iterator end() const { return events_.end(); }

    // Appends at the end; returns the reference that reaches the new event.
    EventRef Append(Event event);
    void Reserve(std::size_t count);
    void Clear();

    EventRef RefAt(std::size_t index) const;
    // The event the reference names, or nullptr when it has been deleted (or never was here).
    Event* Find(EventRef ref);
    const Event* Find(EventRef ref) const;
    // Current position of the referenced event, or -1.
    std::ptrdiff_t PositionOf(EventRef ref) const;
    // Removes and destroys the referenced event; false when it is already gone.
    bool Delete(EventRef ref);

    void Swap(std::size_t a, std::size_t b);
    // Puts the events in a new order: order[k] is the old position of the new k-th event.
    // order must name every position once.
    void Reorder(const std::vector<std::size_t>& order);

private:
    std::vector<Event> events_;
    std::vector<EventId> ids_;  // ids_[i] names events_[i]
    EventId nextId_ = 1;
};

// Sets every event's Index to its position.
void RenumberEvents(EventList& list);

// The whole-day part of a date; false when the value is not a valid date (years 1..9999).
bool WholeDay(DateTime value, DateTime& day);

// Whole-day part of a's Date minus that of b's (the time of day takes no part). Values that are
// no dates at all still compare consistently, so a sort over them stays within the list.
int CompareEventDates(const Event& a, const Event& b);
// CompareNoCase of the titles: -1, 0 or 1.
int CompareEventNames(const Event& a, const Event& b);

// Both dates valid and on the same day, whatever the time.
bool IsEventOfDay(const Event& event, DateTime day);
// The event's day lies in from..to, both ends included; nothing when from is after to.
bool IsEventInSpan(const Event& event, DateTime from, DateTime to);

// The date in the short form of the user's locale (the lists' form; searches use DateToText).
std::string LocaleDateText(DateTime date);

}  // namespace pomix
