// Data files read beside the interface: the reads run on worker threads of the loader's own
// (as many side by side as the machine has cores), and what each read is handed back to the
// interface thread (kit/hand_back.h), where its taker puts it in place. Until then the window
// that waits for it is shown as loading and takes no input.
#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "kit/hand_back.h"

namespace pomix {

struct LoadWork {
    std::function<void()> read;  // on a worker thread; keeps its outcome for take, never throws
    std::function<void()> take;  // on the interface thread, after read has ended
};

class TBackgroundLoader : public QObject {
    Q_OBJECT
public:
    explicit TBackgroundLoader(QObject* parent = nullptr);
    // Waits for the reads still running; the reads not begun are dropped, and nothing read
    // is taken.
    ~TBackgroundLoader() override;

    // Queues a read under key; nothing runs before Run.
    void Add(int key, LoadWork work);
    // Starts every read queued (and any added later at once).
    void Run();
    bool Running() const { return running_; }
    // Reads added and not yet taken.
    bool Waiting(int key) const { return works_.count(key) != 0; }

    // The section the user is waiting for: its read goes first if it has not begun, no other
    // read begins while it runs, and until it is taken, what arrives for the others waits (a long
    // taking of another section would otherwise hold it up on the interface thread). Then they are
    // taken in their order, one per turn of the event loop, so that the section shown is drawn
    // first.
    void Prefer(int key);

    // For tests: arrivals are kept until Release names them, so they can be taken in any order.
    void HoldArrivals() { holding_ = true; }
    // Takes key's read once it has ended (waiting for it, as a test may).
    void Release(int key);

signals:
    // After key's read was taken.
    void taken(int key);

private:
    void Start(int key);
    void Work();
    void Deliver();
    void Arrive(int key);
    void TakeWaitingLater();
    void TakeWaiting();
    void Take(int key);

    THandBack handBack_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable queued_;  // a read was queued, or the loader stops
    std::condition_variable ended_;   // a read has ended
    std::deque<std::pair<int, std::function<void()>>> reads_;  // guarded by mutex_
    std::vector<int> done_;                                    // guarded by mutex_
    bool stopping_ = false;                                    // guarded by mutex_
    // The preferred read, queued or running: no other read begins until it has ended (a large
    // file's read decodes on a second thread, and the section shown waits for it). Guarded by
    // mutex_.
    int alone_ = -1;
    std::set<int> reading_;  // begun and not ended; guarded by mutex_
    std::map<int, LoadWork> works_;
    std::set<int> arrived_;    // ended, held back for Release
    std::deque<int> waiting_;  // ended, waiting for the preferred read to be taken
    int preferred_ = -1;
    bool takeScheduled_ = false;
    bool running_ = false;
    bool holding_ = false;
};

}  // namespace pomix
