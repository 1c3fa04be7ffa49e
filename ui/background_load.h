// Data files read beside the interface: each read runs on a worker thread (as many side by
// side as the machine has cores) and what it read is handed back to the interface thread
// through a queued signal, where its taker puts it in place. Until then the window that waits
// for it is shown as loading and takes no input.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace pomix {

struct LoadWork {
    std::function<void()> read;  // on a worker thread; keeps its outcome for take, never throws
    std::function<void()> take;  // on the interface thread, after read has ended
};

class TBackgroundLoader : public QObject {
    Q_OBJECT
public:
    explicit TBackgroundLoader(QObject* parent = nullptr);
    // Waits for the reads still running; what they read is not taken.
    ~TBackgroundLoader() override;

    // Queues a read under key; nothing runs before Run.
    void Add(int key, LoadWork work);
    // Starts every read queued (and any added later at once).
    void Run();
    bool Running() const { return running_; }
    // Reads added and not yet taken.
    bool Waiting(int key) const { return works_.count(key) != 0; }

    // For tests: arrivals are kept until Release names them, so they can be taken in any order.
    void HoldArrivals() { holding_ = true; }
    // Takes key's read once it has ended (waiting for it, as a test may).
    void Release(int key);

signals:
    // Emitted on a worker thread when a read has ended; delivered queued.
    void readEnded();
    // After key's read was taken.
    void taken(int key);

private:
    void Start(int key);
    void Deliver();
    void Take(int key);

    QThreadPool pool_;
    std::mutex mutex_;
    std::vector<int> ended_;  // guarded by mutex_
    std::map<int, LoadWork> works_;
    std::set<int> arrived_;  // ended, held back for Release
    bool running_ = false;
    bool holding_ = false;
};

}  // namespace pomix
