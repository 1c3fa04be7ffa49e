#include "storage/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "storage/errors.h"

namespace pomix {

namespace {

// Write-and-rename of a whole file: the bytes go to a temporary file in the target's folder,
// reach the disk, and only then take the target's name, so a failure at any step leaves the
// earlier file untouched and no temporary behind.
//
// The temporary has one fixed name per target, "<target>.saving". A save killed before its
// rename leaves that file behind; the next save of the target takes it over, so leftovers
// never pile up. The writer holds an flock on it while it writes: a second writer of the same
// target (another program on the folder) is refused rather than writing into the same file,
// and the lock dies with a killed writer, so a leftover is never mistaken for a live save.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path)
        : target_(ResolveLinks(path)), temp_(target_ + ".saving") {
        Open(path);
        KeepMode();
    }
    ~AtomicFileWriter() {
        // Removed while still locked, so no other writer is using it.
        if (!committed_) ::unlink(temp_.c_str());
        if (fd_ >= 0) ::close(fd_);
    }
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(const std::uint8_t* bytes, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, bytes + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw EStreamWriteError();
            done += static_cast<std::size_t>(n);
        }
    }

    void Commit() {
        if (::fsync(fd_) != 0) throw EStreamWriteError();
        // Renamed while the lock is held; closing afterwards releases it.
        if (::rename(temp_.c_str(), target_.c_str()) != 0) throw EFileError::CannotCreate(target_);
        committed_ = true;
        const int fd = fd_;
        fd_ = -1;
        ::close(fd);
        SyncFolder();
    }

private:
    // Opens and locks the temporary, created or left by a killed save, and empties it.
    void Open(const std::string& path) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd_ < 0 && errno == ELOOP) {
                // A link in the temporary's place is never written through: it goes.
                ::unlink(temp_.c_str());
                continue;
            }
            if (fd_ < 0) throw EFileError::CannotCreate(path);
            // A file system without flock saves unlocked, as saves did before; only a lock
            // held by someone else stops the save.
            if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
                Abandon();
                throw EFileError("Cannot create file " + path +
                                 ": it is being saved by another program");
            }
            // Another writer may have renamed the file between our open and our lock: then
            // the lock is on what is now the target, and the name must be opened afresh.
            struct stat opened {}, named {};
            if (::fstat(fd_, &opened) == 0 && ::stat(temp_.c_str(), &named) == 0 &&
                opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
                if (::ftruncate(fd_, 0) != 0) {
                    Abandon();
                    throw EStreamWriteError();
                }
                return;
            }
            Abandon();
        }
        throw EFileError::CannotCreate(path);
    }

    // Closes the file without removing it: it is not (or no longer) this writer's.
    void Abandon() {
        ::close(fd_);
        fd_ = -1;
    }

    // A link is followed, so the file it names is replaced and the link stays.
    static std::string ResolveLinks(const std::string& path) {
        std::error_code error;
        if (std::filesystem::is_symlink(path, error)) {
            const auto real = std::filesystem::weakly_canonical(path, error);
            if (!error) return real.string();
        }
        return path;
    }

    // The new file gets the old one's permissions, or for a new file what the umask allows
    // (the temporary is created readable by its owner only).
    void KeepMode() {
        struct stat old {};
        mode_t mode;
        if (::stat(target_.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd_, mode);
    }

    // The rename itself reaches the disk with the folder; a failure here loses nothing.
    void SyncFolder() {
        const auto folder = std::filesystem::path(target_).parent_path();
        const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace

void ReplaceFile(const std::string& path, const void* data, std::size_t size) {
    AtomicFileWriter writer(path);
    writer.Write(static_cast<const std::uint8_t*>(data), size);
    writer.Commit();
}

}  // namespace pomix
