#include "core/planner/planner.h"

#include <utility>

#include "core/planner/calendar_format.h"
#include "core/planner/event_sort.h"

namespace pomix {
namespace {

struct EventsLoad : ListLoad<EventList> {
    using ListLoad::ListLoad;
    void Read() {
        file.LoadList(list, ReadCalendar);
        RenumberEvents(list);
    }
};

}  // namespace

EarlyRead Planner::EarlyReadIn(const std::string& dataDir) {
    return MakeEarlyRead<EventsLoad>(dataDir + kCalendarFile, kCalendarStream);
}

std::optional<SectionModel::Load> Planner::MakeLoad() {
    auto load = std::make_shared<EventsLoad>(file_);
    return SectionModel::Load{[load] { ReadOrTakeEarly(*load); },
                [this, load] {
                    Events = std::move(load->list);
                    ClearChanged();
                    file_.AdoptLoad(load->file);
                    Notify(Change::Loaded);
                }};
}

Planner::Planner(StreamContainer& container, std::string fileName)
    : file_(container, std::move(fileName), kCalendarStream) {}

void Planner::LoadCalendarList() {
    file_.LoadList(Events, ReadCalendar);
    RenumberEvents(Events);
    ClearChanged();
}

void Planner::SaveCalendarList() {
    file_.SaveList(Events, Modified(), WriteCalendar);
    ClearChanged();
}

std::shared_ptr<FileImage> Planner::ImageOfRecords() {
    return file_.TakeListImage(Events, WriteCalendar);
}

void Planner::ReplaceEvents(const EventList& events) {
    // Cleared and filled rather than assigned: the list's ids go on counting.
    Events.Clear();
    Events.Reserve(events.Count());
    for (const Event& event : events) Events.Append(event);
    MarkChanged();
    Notify(Change::Replaced);
}

std::shared_ptr<FileImage> Planner::TakeImage() {
    auto image = file_.TakeListImage(Events, WriteCalendar);
    ClearChanged();
    return image;
}

EventRef Planner::AddEvent(const EventFields& fields) {
    const EventRef ref = Events.Append(Event(fields.Name, fields.Memo, fields.Date, fields.Time, 1,
                                             fields.Remind ? 1 : 0, fields.Done ? 1 : 0));
    MarkChanged();
    return ref;
}

bool Planner::EditEvent(EventRef ref, const EventFields& fields) {
    Event* event = Events.Find(ref);
    if (!event) return false;
    event->Name = fields.Name;
    event->Memo = fields.Memo;
    event->Date = fields.Date;
    event->Time = fields.Time;
    event->Remind = fields.Remind ? 1 : 0;
    event->Done = fields.Done ? 1 : 0;
    MarkChanged();
    return true;
}

bool Planner::DeleteEvent(EventRef ref) {
    if (!Events.Delete(ref)) return false;
    MarkChanged();
    return true;
}

void Planner::SortedEvents(int key) {
    SortEvents(Events, key);
    RenumberEvents(Events);
}

}  // namespace pomix
