// One program at a time on a data folder: an advisory lock on the file "pomix.lock" in the
// folder, held for as long as the lock object lives.
//
// The lock is flock(2) on an open file: the system drops it when the holder closes the file
// or dies, so a killed program never leaves a stale lock behind, and the lock file itself is
// never removed (removing it would let a second program lock a new file of the same name
// while the first still holds the old one). Two locks on one folder exclude each other also
// within one process.
#pragma once

#include <string>

namespace pomix {

inline constexpr char kDataLockFileName[] = "pomix.lock";

class DataFolderLock {
public:
    enum class State {
        Locked,         // this object holds the folder
        HeldElsewhere,  // another program (or another lock object) holds it
        Failed,         // the lock file could not be opened or created; see Error()
    };

    // Tries once, without waiting, to lock folder (the lock file is created when missing).
    explicit DataFolderLock(const std::string& folder);
    ~DataFolderLock();
    DataFolderLock(DataFolderLock&& other) noexcept;
    DataFolderLock& operator=(DataFolderLock&& other) noexcept;
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    State GetState() const { return state_; }
    bool Locked() const { return state_ == State::Locked; }
    // The reason of Failed, naming the lock file; empty otherwise.
    const std::string& Error() const { return error_; }
    const std::string& Path() const { return path_; }

private:
    void Release();

    std::string path_;
    int fd_ = -1;
    State state_ = State::Failed;
    std::string error_;
};

}  // namespace pomix
