#include "ui/background_load.h"

#include <algorithm>

namespace pomix {

TBackgroundLoader::TBackgroundLoader(QObject* parent) : QObject(parent) {}

TBackgroundLoader::~TBackgroundLoader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        reads_.clear();
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void TBackgroundLoader::Add(int key, LoadWork work) {
    works_[key] = std::move(work);
    if (running_) Start(key);
}

void TBackgroundLoader::Run() {
    if (running_) return;
    running_ = true;
    for (const auto& entry : works_) Start(entry.first);
}

void TBackgroundLoader::Start(int key) {
    {
        std::lock_guard lock(mutex_);
        reads_.emplace_back(key, works_.at(key).read);
    }
    // One thread per core at most; they stay for reads added later, idle.
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    if (threads_.size() < cores) threads_.emplace_back(&TBackgroundLoader::Work, this);
    queued_.notify_one();
}

void TBackgroundLoader::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !reads_.empty(); });
        if (stopping_) return;
        auto [key, read] = std::move(reads_.front());
        reads_.pop_front();
        lock.unlock();
        read();
        read = nullptr;  // what the read held goes before its taker runs
        lock.lock();
        done_.push_back(key);
        ended_.notify_all();
        handBack_.Post([this] { Deliver(); });
    }
}

void TBackgroundLoader::Deliver() {
    std::vector<int> done;
    {
        std::lock_guard lock(mutex_);
        done.swap(done_);
    }
    for (const int key : done) {
        if (holding_) {
            arrived_.insert(key);
        } else {
            Take(key);
        }
    }
}

void TBackgroundLoader::Release(int key) {
    if (!running_) return;
    for (;;) {
        Deliver();
        if (arrived_.erase(key) != 0) break;
        if (!works_.count(key)) return;
        // The read may not have ended yet: wait for it, without the event loop.
        std::unique_lock lock(mutex_);
        ended_.wait(lock, [this] { return !done_.empty(); });
    }
    Take(key);
}

void TBackgroundLoader::Take(int key) {
    const auto found = works_.find(key);
    if (found == works_.end()) return;
    const std::function<void()> take = std::move(found->second.take);
    works_.erase(found);
    take();
    emit taken(key);
}

}  // namespace pomix
