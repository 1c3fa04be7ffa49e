#include "kit/background_load.h"

#include <QTimer>
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
    if (works_.count(preferred_)) Start(preferred_);
    for (const auto& entry : works_) {
        if (entry.first != preferred_) Start(entry.first);
    }
}

void TBackgroundLoader::Start(int key) {
    {
        std::lock_guard lock(mutex_);
        reads_.emplace_back(key, works_.at(key).read);
        if (key == preferred_) alone_ = key;
    }
    // One thread per core at most; they stay for reads added later, idle.
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    if (threads_.size() < cores) threads_.emplace_back(&TBackgroundLoader::Work, this);
    queued_.notify_one();
}

void TBackgroundLoader::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // The preferred read is put first; while it runs, the others wait for it.
        queued_.wait(lock, [this] {
            return stopping_ || (!reads_.empty() && (alone_ < 0 || reads_.front().first == alone_));
        });
        if (stopping_) return;
        auto [key, read] = std::move(reads_.front());
        reads_.pop_front();
        reading_.insert(key);
        lock.unlock();
        read();
        read = nullptr;  // what the read held goes before its taker runs
        lock.lock();
        reading_.erase(key);
        if (key == alone_) {
            alone_ = -1;
            queued_.notify_all();
        }
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
    for (const int key : done) Arrive(key);
}

void TBackgroundLoader::Arrive(int key) {
    if (holding_) {
        arrived_.insert(key);
        return;
    }
    if (key == preferred_) {
        preferred_ = -1;
        Take(key);
        TakeWaitingLater();
    } else if (preferred_ >= 0 || !waiting_.empty()) {
        waiting_.push_back(key);
    } else {
        Take(key);
    }
}

void TBackgroundLoader::TakeWaitingLater() {
    if (waiting_.empty() || takeScheduled_) return;
    takeScheduled_ = true;
    QTimer::singleShot(0, this, &TBackgroundLoader::TakeWaiting);
}

void TBackgroundLoader::TakeWaiting() {
    takeScheduled_ = false;
    if (preferred_ >= 0 || waiting_.empty()) return;
    const int key = waiting_.front();
    waiting_.pop_front();
    Take(key);
    TakeWaitingLater();
}

void TBackgroundLoader::Prefer(int key) {
    if (!works_.count(key)) return;  // taken already
    preferred_ = key;
    const auto held = std::find(waiting_.begin(), waiting_.end(), key);
    if (held != waiting_.end()) {
        waiting_.erase(held);
        Arrive(key);
        return;
    }
    std::lock_guard lock(mutex_);
    const auto queued = std::find_if(reads_.begin(), reads_.end(),
                                     [key](const auto& read) { return read.first == key; });
    if (queued == reads_.end()) {
        if (reading_.count(key)) alone_ = key;
        return;  // not queued yet: Run puts it first
    }
    alone_ = key;
    if (queued != reads_.begin()) {
        auto read = std::move(*queued);
        reads_.erase(queued);
        reads_.push_front(std::move(read));
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
