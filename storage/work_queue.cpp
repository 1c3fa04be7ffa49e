#include "storage/work_queue.h"

namespace pomix {

WorkQueue::~WorkQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    posted_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void WorkQueue::Post(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (!thread_.joinable()) thread_ = std::thread(&WorkQueue::Run, this);
    }
    posted_.notify_one();
}

void WorkQueue::Wait() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return tasks_.empty() && !running_; });
}

void WorkQueue::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        posted_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty()) return;  // stopping, and nothing left to write
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        running_ = true;
        lock.unlock();
        task();
        task = nullptr;  // what the task held goes before the queue reports idle
        lock.lock();
        running_ = false;
        if (tasks_.empty()) idle_.notify_all();
    }
}

}  // namespace pomix
