#include "storage/data_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace pomix {

DataFolderLock::DataFolderLock(const std::string& folder) {
    path_ = folder;
    if (!path_.empty() && path_.back() != '/') path_ += '/';
    path_ += kDataLockFileName;
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0 && (errno == EACCES || errno == EROFS)) {
        // A read-only folder or lock file still takes a lock on a file opened for reading.
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd_ < 0) {
        error_ = "Cannot open lock file " + path_ + ": " + std::strerror(errno);
        return;
    }
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        state_ = State::Locked;
        return;
    }
    const int reason = errno;
    ::close(fd_);
    fd_ = -1;
    if (reason == EWOULDBLOCK) {
        state_ = State::HeldElsewhere;
    } else {
        error_ = "Cannot lock " + path_ + ": " + std::strerror(reason);
    }
}

DataFolderLock::~DataFolderLock() {
    Release();
}

DataFolderLock::DataFolderLock(DataFolderLock&& other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::exchange(other.fd_, -1)),
      state_(std::exchange(other.state_, State::Failed)),
      error_(std::move(other.error_)) {}

DataFolderLock& DataFolderLock::operator=(DataFolderLock&& other) noexcept {
    if (this != &other) {
        Release();
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        state_ = std::exchange(other.state_, State::Failed);
        error_ = std::move(other.error_);
    }
    return *this;
}

void DataFolderLock::Release() {
    // Closing the descriptor drops the lock; the file stays (see the header).
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace pomix
