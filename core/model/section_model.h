// What every section's model keeps beside its records, so that the windows and the program's
// services (the sync, a restore, the saves) share one state: whether the records are in,
// whether they changed since the last write, whether a view has an editor open on one, the
// write in flight, and the views that follow the records.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "storage/section_file.h"

namespace pomix {

class SectionModel {
public:
    // The records came in from the file (at start, or a copy put back), or were replaced
    // whole by a sync: a view shows them afresh.
    enum class Change { Loaded, Replaced };
    using Listener = std::function<void(Change)>;

    SectionModel() = default;
    SectionModel(const SectionModel&) = delete;
    SectionModel& operator=(const SectionModel&) = delete;
    virtual ~SectionModel() = default;

    // A read of the data file beside the interface: read runs on a worker thread and touches
    // nothing the interface uses; take, back on the interface thread, puts the records in
    // place, clears the change mark and tells the views (Change::Loaded).
    struct Load {
        std::function<void()> read;
        std::function<void()> take;
    };
    virtual std::optional<Load> MakeLoad() { return std::nullopt; }
    // The same read at once, on the calling thread.
    void LoadNow();

    // A model reads its file beside the interface: until then it is not Loaded and no one
    // may change or save its records.
    bool Loaded() const { return loaded_; }
    void SetLoaded(bool loaded) { loaded_ = loaded; }

    bool Modified() const { return modified_; }
    void MarkChanged() { modified_ = true; }
    void ClearChanged() { modified_ = false; }

    // A view has an editor open on a record: a replacement of the records waits.
    bool Editing() const { return editing_; }
    void SetEditing(bool editing) { editing_ = editing; }

    // The write of the changes made since the last one: the image, with the change mark
    // cleared, or null with nothing to write (no change, a write still out, the records not
    // in yet, or no file). Written tells how it went. A failed write is not tried again at
    // once (it would fail the same way): the changes count as unsaved (SaveFailed) until the
    // next change or the close writes them.
    std::shared_ptr<FileImage> TakeWrite();
    void Written(const FileImage& image, bool ok);
    bool Saving() const { return saving_; }
    bool SaveFailed() const { return saveFailed_; }
    // The close wrote the records itself.
    void ForgetFailedWrite() { saveFailed_ = false; }
    // Lives as long as the model: a write that ends later reaches only a model still there.
    std::weak_ptr<SectionModel* const> Life() const { return life_; }

    // Views follow the records through listeners; the number given back unsubscribes.
    int Listen(Listener listener);
    void StopListening(int id);

    virtual SectionFile* DataFile() { return nullptr; }

protected:
    // The image of every record for a write.
    virtual std::shared_ptr<FileImage> ImageOfRecords() { return nullptr; }
    void Notify(Change change);

private:
    bool loaded_ = true;
    bool modified_ = false;
    bool editing_ = false;
    bool saving_ = false;
    bool saveFailed_ = false;
    std::map<int, Listener> listeners_;
    int nextListener_ = 0;
    std::shared_ptr<SectionModel* const> life_ = std::make_shared<SectionModel* const>(this);
};

}  // namespace pomix
