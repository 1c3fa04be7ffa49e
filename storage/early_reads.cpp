#include "storage/early_reads.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>

namespace pomix {

namespace {
// Set and cleared by the interface thread while no loader thread runs (the reader is made
// before the main window and goes after it).
TEarlyReads* gReader = nullptr;
}  // namespace

TEarlyReads::Stamp TEarlyReads::Stamp::Of(const std::string& path) {
    struct stat info {};
    Stamp stamp;
    if (::stat(path.c_str(), &info) != 0) return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.changedSec = info.st_ctim.tv_sec;
    stamp.changedNsec = info.st_ctim.tv_nsec;
    stamp.modifiedSec = info.st_mtim.tv_sec;
    stamp.modifiedNsec = info.st_mtim.tv_nsec;
    return stamp;
}

TEarlyReads::TEarlyReads(std::vector<EarlyRead> reads) {
    assert(gReader == nullptr);
    for (EarlyRead& read : reads) {
        Job job;
        job.read = std::move(read);
        jobs_.push_back(std::move(job));
    }
    gReader = this;
    thread_ = std::thread(&TEarlyReads::Work, this);
}

TEarlyReads::~TEarlyReads() {
    StopBeginning();
    thread_.join();
    gReader = nullptr;
}

void TEarlyReads::StopBeginning() {
    if (!gReader) return;
    {
        std::lock_guard lock(gReader->mutex_);
        gReader->stopping_ = true;
    }
    gReader->changed_.notify_all();
}

void TEarlyReads::Work() {
    // The interface thread making the window comes first when the two share a core (a busy
    // machine): this thread is a little less urgent than the program's others.
    const auto self = static_cast<id_t>(::gettid());
    errno = 0;
    const int niceness = ::getpriority(PRIO_PROCESS, self);
    if (errno == 0) ::setpriority(PRIO_PROCESS, self, niceness + kNiceness);
    std::unique_lock lock(mutex_);
    for (Job& job : jobs_) {
        if (stopping_) return;
        if (job.state != State::Waiting) continue;  // taken over by the loader
        job.state = State::Reading;
        const EarlyRead read = job.read;
        lock.unlock();
        // The stamp before the read: a file replaced while it is read differs from it.
        Stamp stamp = Stamp::Of(read.path);
        std::shared_ptr<void> outcome = read.read();
        lock.lock();
        job.stamp = stamp;
        job.outcome = std::move(outcome);
        job.state = State::Read;
        changed_.notify_all();
    }
}

std::shared_ptr<void> TEarlyReads::TakeAny(const std::string& path) {
    if (!gReader) return nullptr;
    TEarlyReads& reader = *gReader;
    std::unique_lock lock(reader.mutex_);
    const auto job =
        std::find_if(reader.jobs_.begin(), reader.jobs_.end(),
                     [&path](const Job& candidate) { return candidate.read.path == path; });
    if (job == reader.jobs_.end()) return nullptr;
    reader.changed_.wait(lock, [&job] { return job->state != State::Reading; });
    const State state = job->state;
    job->state = State::Gone;
    Stamp stamp = job->stamp;
    std::shared_ptr<void> outcome = std::move(job->outcome);
    lock.unlock();
    if (state != State::Read || !(stamp == Stamp::Of(path))) return nullptr;
    return outcome;
}

}  // namespace pomix
