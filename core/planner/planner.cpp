#include "core/planner/planner.h"

#include <utility>

#include "core/planner/calendar_format.h"
#include "core/planner/event_sort.h"

namespace pomix {

Planner::Planner(StreamContainer& container, std::string fileName)
    : file_(container, std::move(fileName), kCalendarStream) {}

void Planner::LoadCalendarList() {
    file_.LoadList(Events, ReadCalendar);
    RenumberEvents(Events);
    Modified = false;
}

void Planner::SaveCalendarList() {
    file_.SaveList(Events, Modified, WriteCalendar);
    Modified = false;
}

std::shared_ptr<FileImage> Planner::TakeImage() {
    auto image = file_.TakeListImage(Events, WriteCalendar);
    Modified = false;
    return image;
}

EventRef Planner::AddEvent(const EventFields& fields) {
    const EventRef ref = Events.Append(Tevent(fields.Name, fields.Memo, fields.Date, fields.Time, 1,
                                              fields.Remind ? 1 : 0, fields.Done ? 1 : 0));
    Modified = true;
    return ref;
}

bool Planner::EditEvent(EventRef ref, const EventFields& fields) {
    Tevent* event = Events.Find(ref);
    if (!event) return false;
    event->Name = fields.Name;
    event->Memo = fields.Memo;
    event->Date = fields.Date;
    event->Time = fields.Time;
    event->Remind = fields.Remind ? 1 : 0;
    event->Done = fields.Done ? 1 : 0;
    Modified = true;
    return true;
}

bool Planner::DeleteEvent(EventRef ref) {
    if (!Events.Delete(ref)) return false;
    Modified = true;
    return true;
}

void Planner::SortedEvents(int key) {
    SortEvents(Events, key);
    RenumberEvents(Events);
}

}  // namespace pomix
