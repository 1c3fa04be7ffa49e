// Saves handed to a thread of their own, so that the interface never waits for a file. The
// image of what is saved is taken on the interface thread before it is handed over; the
// writes run one after another in the order they were posted, and their outcomes are handed
// back to the interface thread (kit/hand_back.h) in the same order.
//
// A failed write is told once, naming the file, until a write of that file succeeds again;
// the owner of the data keeps it as unsaved and tries again with its next change or at close.
#pragma once

#include <QObject>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "core/model/section_model.h"
#include "storage/work_queue.h"
#include "kit/hand_back.h"

namespace pomix {

struct SaveWork {
    std::string path;                      // the file written, for the failure notice
    std::function<void()> write;           // on the saving thread; raises the storage errors
    std::function<void(bool ok)> written;  // back on the interface thread
};

// The write of a model's changes since its last one, or none (SectionModel::TakeWrite); its
// ending reaches the model only while the model is still there.
std::optional<SaveWork> TakeModelSave(SectionModel& model);

class TBackgroundSaver : public QObject {
    Q_OBJECT
public:
    explicit TBackgroundSaver(QObject* parent = nullptr);
    // Lets the writes posted finish; their outcomes are dropped.
    ~TBackgroundSaver() override;

    void Post(SaveWork work);
    // Waits for every write posted so far and hands over their outcomes at once; the shutdown
    // runs this before it saves what is left.
    void Finish();
    // Returns once every write posted so far has ended; their outcomes are handed over later.
    void Wait() { queue_.Wait(); }
    // Writes posted whose outcome has not been handed over yet.
    int Pending() const { return pending_; }
    // Runs call on the interface thread, from the saving thread (or any other).
    void HandBack(std::function<void()> call) { handBack_.Post(std::move(call)); }

signals:
    // After an outcome was handed over (tests wait for it).
    void saved(bool ok);

private:
    struct Outcome {
        SaveWork work;
        std::string error;  // empty: written
        std::exception_ptr failure;
    };
    void Deliver();

    // What the saving thread uses comes before queue_, so that it goes after the thread.
    THandBack handBack_;
    std::mutex mutex_;
    std::deque<Outcome> outcomes_;  // guarded by mutex_
    WorkQueue queue_;
    std::set<std::string> told_;  // files whose failure the user has been told of
    int pending_ = 0;
};

}  // namespace pomix
