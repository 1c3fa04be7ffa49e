// Data files read from the very start of the process. While the interface thread makes the
// application and the main window, one thread of the reader's own reads the sections' files in
// turn, each with the section's own read. A section's read, on the loader's thread, then takes
// what was read for its file when the file has not changed since (same inode, size and change
// time), waiting for a read still running; otherwise, or when that read had not begun, it reads
// the file itself. What no section takes is dropped with the reader.
//
// The reader is made only by the program's start, after it holds the data folder's lock: a start
// refused because another copy runs on the folder reads nothing. Without a reader (tests, a
// folder that takes no lock) every section reads its own file, as before.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "storage/section_file.h"

namespace pomix {

struct EarlyRead {
    std::string path;
    std::function<std::shared_ptr<void>()> read;  // never throws
};

class TEarlyReads {
public:
    // Begins the reads at once, in the order given. One reader at a time per process.
    explicit TEarlyReads(std::vector<EarlyRead> reads);
    // Waits for the read still running; the rest is dropped.
    ~TEarlyReads();
    TEarlyReads(const TEarlyReads&) = delete;
    TEarlyReads& operator=(const TEarlyReads&) = delete;

    // No further read begins: from here on the loader's threads read what is left themselves,
    // as many as the cores allow, beside the one still running here.
    static void StopBeginning();

    // What was read for path, once: null when nothing was (no reader, not begun, taken already)
    // or the file has changed since. Waits for a read of path that is still running.
    template <class T>
    static std::shared_ptr<T> Take(const std::string& path) {
        return std::static_pointer_cast<T>(TakeAny(path));
    }

private:
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long changedSec = 0, changedNsec = 0, modifiedSec = 0, modifiedNsec = 0;
        bool operator==(const Stamp&) const = default;
        static Stamp Of(const std::string& path);
    };
    enum class State { Waiting, Reading, Read, Gone };
    struct Job {
        EarlyRead read;
        State state = State::Waiting;
        Stamp stamp;  // taken just before the read began
        std::shared_ptr<void> outcome;
    };

    static constexpr int kNiceness = 5;
    static std::shared_ptr<void> TakeAny(const std::string& path);
    void Work();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Job> jobs_;  // guarded by mutex_
    bool stopping_ = false;  // guarded by mutex_
    std::thread thread_;
};

// A section's load (a ListLoad with Read() and Adopt(Load&&)) read early from path: made over a
// container of the program's settings (compressed, not enciphered).
template <class Load>
EarlyRead MakeEarlyRead(const std::string& path, const std::string& streamName) {
    return {path, [path, streamName] {
                StreamContainer owner;
                owner.Compressed = true;
                owner.Encrypted = false;
                auto load = std::make_shared<Load>(SectionFile(owner, path, streamName));
                load->Read();
                return std::shared_ptr<void>(std::move(load));
            }};
}

// The read of a section's load: what was read early for its file, when that is still current
// and was read with the same container settings, or else a read of its own.
template <class Load>
void ReadOrTakeEarly(Load& load) {
    const std::shared_ptr<Load> early = TEarlyReads::Take<Load>(load.file.Path());
    if (early && early->container.Compressed == load.container.Compressed &&
        early->container.Encrypted == load.container.Encrypted &&
        early->container.Key == load.container.Key) {
        load.Adopt(std::move(*early));
    } else {
        load.Read();
    }
}

}  // namespace pomix
