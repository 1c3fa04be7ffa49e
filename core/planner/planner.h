// The planner's model: the event list, its file and whether it changed, shared by the window,
// the reminders and the sync. Every command that changes an event marks the change; sorting
// does not, so an order changed only by a sort reaches the file only with some later change.
#pragma once

#include <string>

#include "core/model/section_model.h"
#include "core/planner/event.h"
#include "storage/early_reads.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"

namespace pomix {

// What the editor hands over when an event is saved.
struct EventFields {
    std::string Name;
    StrList Memo;
    DateTime Date = 0;
    DateTime Time = 0;
    bool Remind = false;
    bool Done = false;
};

class Planner : public SectionModel {
public:
    // fileName is DataDir + "Calendar.dat"; the container is the program's shared one.
    Planner(StreamContainer& container, std::string fileName);

    EventList Events;

    const std::string& FileName() const { return file_.Path(); }
    // True when the last load stopped at damage; the records read before it are in Events.
    bool LoadFailed() const { return file_.LoadFailed(); }
    // Where the first save after a failed load kept the damaged file; empty otherwise.
    const std::string& KeptAs() const { return file_.KeptAs(); }

    // Replaces Events with the file's records (none when the file is missing or unreadable);
    // the change mark is cleared.
    void LoadCalendarList();
    // Writes the whole list when it changed, then clears the mark; does nothing otherwise.
    // Storage errors pass to the caller with the mark still set.
    void SaveCalendarList();
    // The image of the whole list for a save in two steps; the change mark is cleared.
    std::shared_ptr<FileImage> TakeImage();
    SectionFile& File() { return file_; }
    SectionFile* DataFile() override { return &file_; }

    // The read beside the interface, taking the start's early read of the file where it is
    // still current.
    std::optional<Load> MakeLoad() override;
    // What the start reads early for a data folder.
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    // A sync's events in place of the list (new ids, so that no old line
    // reaches an event of the new list), marked for saving; the views follow.
    void ReplaceEvents(const EventList& events);

    // A new event, Reserved 1, appended at the end.
    EventRef AddEvent(const EventFields& fields);
    // Overwrites the editable fields (Reserved stays); false when the event is gone.
    bool EditEvent(EventRef ref, const EventFields& fields);
    // False when the event is already gone.
    bool DeleteEvent(EventRef ref);
    // Sorts by key 1 (date) or 2 (title; other keys keep the order), then renumbers.
    // The change mark is left as it was.
    void SortedEvents(int key);

protected:
    std::shared_ptr<FileImage> ImageOfRecords() override;

private:
    SectionFile file_;
};

}  // namespace pomix
