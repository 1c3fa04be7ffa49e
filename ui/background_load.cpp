#include "ui/background_load.h"

namespace pomix {

TBackgroundLoader::TBackgroundLoader(QObject* parent) : QObject(parent) {
    connect(this, &TBackgroundLoader::readEnded, this, &TBackgroundLoader::Deliver, Qt::QueuedConnection);
}

TBackgroundLoader::~TBackgroundLoader() { pool_.waitForDone(); }

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
    pool_.start([this, key, read = works_.at(key).read] {
        read();
        {
            std::lock_guard lock(mutex_);
            ended_.push_back(key);
        }
        emit readEnded();
    });
}

void TBackgroundLoader::Deliver() {
    std::vector<int> ended;
    {
        std::lock_guard lock(mutex_);
        ended.swap(ended_);
    }
    for (const int key : ended) {
        if (holding_) {
            arrived_.insert(key);
        } else {
            Take(key);
        }
    }
}

void TBackgroundLoader::Release(int key) {
    for (;;) {
        Deliver();
        if (arrived_.erase(key) != 0) break;
        if (!works_.count(key)) return;
        // The read may not have ended yet: wait a little for it, without the event loop.
        pool_.waitForDone(10);
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
