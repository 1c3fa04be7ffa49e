// Work run off the caller's thread, one task after another, in the order posted. The saves and
// the sync run on such queues (the data files' reads on the loader's threads, side by side),
// and all of them hand their outcomes back to the interface thread the same way
// (kit/hand_back.h). Two saves of one file can then never overtake each other or meet on the
// same temporary, and a sync never runs beside another.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pomix {

class WorkQueue {
public:
    using Task = std::function<void()>;

    WorkQueue() = default;
    // Runs what was posted to its end, then stops the thread.
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // The task runs on the queue's thread after every task posted before it. It must not
    // throw: its outcome is its own to report.
    void Post(Task task);
    // Returns once every task posted so far has run.
    void Wait();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable posted_;
    std::condition_variable idle_;
    std::deque<Task> tasks_;  // guarded by mutex_
    bool running_ = false;    // a task is out of tasks_ and not yet finished; guarded by mutex_
    bool stopping_ = false;   // guarded by mutex_
    std::thread thread_;      // started by the first Post
};

}  // namespace pomix
