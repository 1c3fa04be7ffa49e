// File writes run off the caller's thread, one after another, in the order they were posted:
// two saves of one file can then never overtake each other or meet on the same temporary.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pomix {

class SaveQueue {
public:
    using Task = std::function<void()>;

    SaveQueue() = default;
    // Runs what was posted to its end, then stops the thread.
    ~SaveQueue();
    SaveQueue(const SaveQueue&) = delete;
    SaveQueue& operator=(const SaveQueue&) = delete;

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
