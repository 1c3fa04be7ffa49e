#include "core/planner/event.h"

#include <cmath>
#include <limits>
#include <utility>

#include "core/planner/event_detail.h"
#include "storage/locale.h"
#include "storage/text.h"

namespace pomix {

EventRef EventList::Append(Event event) {
    event.Index = static_cast<std::int32_t>(events_.size());
    events_.push_back(std::move(event));
    ids_.push_back(nextId_);
    return EventRef{nextId_++, static_cast<std::int32_t>(events_.size() - 1)};
}

void EventList::Reserve(std::size_t count) {
    events_.reserve(count);
    ids_.reserve(count);
}

void EventList::Clear() {
    events_.clear();
    ids_.clear();
}

EventRef EventList::RefAt(std::size_t index) const {
    return EventRef{ids_[index], static_cast<std::int32_t>(index)};
}

std::ptrdiff_t EventList::PositionOf(EventRef ref) const {
    if (ref.Id == 0) return -1;
    // The position the line was built with is right unless the list has changed since.
    if (ref.Index >= 0 && static_cast<std::size_t>(ref.Index) < ids_.size() &&
        ids_[static_cast<std::size_t>(ref.Index)] == ref.Id) {
        return ref.Index;
    }
    for (std::size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] == ref.Id) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

Event* EventList::Find(EventRef ref) {
    const std::ptrdiff_t pos = PositionOf(ref);
    return pos < 0 ? nullptr : &events_[static_cast<std::size_t>(pos)];
}

const Event* EventList::Find(EventRef ref) const {
    const std::ptrdiff_t pos = PositionOf(ref);
    return pos < 0 ? nullptr : &events_[static_cast<std::size_t>(pos)];
}

bool EventList::Delete(EventRef ref) {
    const std::ptrdiff_t pos = PositionOf(ref);
    if (pos < 0) return false;
    events_.erase(events_.begin() + pos);
    ids_.erase(ids_.begin() + pos);
    return true;
}

void EventList::Reorder(const std::vector<std::size_t>& order) {
    std::vector<Event> events;
    std::vector<EventId> ids;
    events.reserve(order.size());
    ids.reserve(order.size());
    for (std::size_t from : order) {
        events.push_back(std::move(events_[from]));
        ids.push_back(ids_[from]);
    }
    events_ = std::move(events);
    ids_ = std::move(ids);
}

void EventList::Swap(std::size_t a, std::size_t b) {
    std::swap(events_[a], events_[b]);
    std::swap(ids_[a], ids_[b]);
}

void RenumberEvents(EventList& list) {
    std::int32_t index = 0;
    for (Event& event : list) event.Index = index++;
}

namespace {

// The whole-day part, counted the way the date routines split a value: rounded to the
// millisecond first (so 23:59:59.9996 belongs to the next day), then toward zero. A value that
// is no finite number is returned as it is.
DateTime DayPart(DateTime value) {
    constexpr double kMsPerDay = 86'400'000.0;
    if (!std::isfinite(value) || std::fabs(value) > 1e9) return std::trunc(value);
    return std::trunc(std::round(value * kMsPerDay) / kMsPerDay);
}

}  // namespace

// A day number for ordering, kept within a range whose differences fit easily, with NaN put
// among the day 0 events so that the order stays total.
long long detail::DayKey(DateTime value) {
    constexpr double kLimit = 1e12;
    const DateTime day = DayPart(value);
    if (std::isnan(day)) return 0;
    if (day > kLimit) return static_cast<long long>(kLimit);
    if (day < -kLimit) return -static_cast<long long>(kLimit);
    return static_cast<long long>(day);
}

bool WholeDay(DateTime value, DateTime& day) {
    // The day numbers of 1 January 0001 and 31 December 9999. Counted the same way as the date
    // routines count, so this agrees with TryDecodeDate without decoding anything.
    constexpr double kFirstValidDay = -693'593, kLastValidDay = 2'958'465;
    const DateTime whole = DayPart(value);
    if (!(whole >= kFirstValidDay && whole <= kLastValidDay)) return false;
    day = whole;
    return true;
}

int CompareEventDates(const Event& a, const Event& b) {
    const long long diff = detail::DayKey(a.Date) - detail::DayKey(b.Date);
    if (diff > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (diff < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(diff);
}

int CompareEventNames(const Event& a, const Event& b) {
    return CompareNoCase(a.Name, b.Name);
}

bool IsEventOfDay(const Event& event, DateTime day) {
    // An event whose day equals a valid day is itself valid.
    DateTime shownDay;
    return WholeDay(day, shownDay) && DayPart(event.Date) == shownDay;
}

bool IsEventInSpan(const Event& event, DateTime from, DateTime to) {
    // Comparisons with NaN are false, so a date that is no number is in no span.
    const DateTime day = DayPart(event.Date);
    return day >= DayPart(from) && day <= DayPart(to);
}

std::string LocaleDateText(DateTime date) { return CurrentLocale().ShortDate(date); }

}  // namespace pomix
