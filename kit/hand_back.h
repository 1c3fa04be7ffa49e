// Results of our own worker threads handed back to the interface thread. A worker posts a
// call; the interface thread runs it from its event loop, in the order posted.
//
// The wake-up is an eventfd watched by a QSocketNotifier, not a queued Qt event: no Qt object
// is then made on one thread and used on the other, and the whole hand-over is a mutex and a
// file descriptor, both of which ThreadSanitizer follows (Qt itself is not built with it, so
// hand-overs through its own queues read as races there).
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace pomix {

class THandBack : public QObject {
    Q_OBJECT
public:
    explicit THandBack(QObject* parent = nullptr);
    // Calls posted and not yet run are dropped: whoever posts must be stopped before.
    ~THandBack() override;

    // Any thread.
    void Post(std::function<void()> call);
    // Interface thread: runs every call posted so far (the event loop does it by itself).
    void RunPosted();

private:
    int wake_ = -1;  // the eventfd
    QSocketNotifier* notifier_;
    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;  // guarded by mutex_
};

}  // namespace pomix
