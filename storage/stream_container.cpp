#include "storage/stream_container.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <new>

#include "storage/blowfish.h"
#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/text.h"

namespace pomix {

struct StreamContainer::Item {
    std::string name;
    std::unique_ptr<MemoryStream> stream;
};

namespace {

constexpr std::uint8_t kCompressedMark = 0x26;
constexpr std::uint8_t kCipherMark = 0x2A;
constexpr std::uint8_t kBlankMark = 0x20;
constexpr std::uint8_t kSignature[8] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr std::size_t kMaxNameLength = 0xFFFF;

bool BeginsWithSignature(const Bytes& bytes) {
    return bytes.size() >= sizeof kSignature &&
           std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin());
}

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

    void Write(const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
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
    // (mkstemp itself creates the file readable by its owner only).
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

StreamContainer::StreamContainer() = default;
StreamContainer::~StreamContainer() { ClearStreams(); }

void StreamContainer::AddStream(const std::string& name, Stream* source) {
    if (name.empty() || !source) return;
    auto copy = std::make_unique<MemoryStream>();
    source->Seek(0);
    copy->CopyFrom(*source);
    File(name, std::move(copy));
}

void StreamContainer::File(const std::string& name, std::unique_ptr<MemoryStream> stream) {
    const auto at = std::lower_bound(items_.begin(), items_.end(), name,
                                     [](const Item& item, const std::string& key) {
                                         return CompareNoCase(item.name, key) < 0;
                                     });
    if (at != items_.end() && CompareNoCase(at->name, name) == 0) {
        at->stream = std::move(stream);
    } else {
        items_.insert(at, Item{name, std::move(stream)});
    }
}

void StreamContainer::GetStream(const std::string& name, Stream& target) const {
    if (name.empty()) return;
    for (const Item& item : items_) {
        if (CompareNoCase(item.name, name) == 0) {
            const Bytes& data = item.stream->Data();
            target.Write(data.data(), data.size());
            break;
        }
    }
    target.Seek(0);
}

void StreamContainer::ClearStreams() { items_.clear(); }

std::size_t StreamContainer::Count() const { return items_.size(); }

std::vector<std::string> StreamContainer::Names() const {
    std::vector<std::string> names;
    names.reserve(items_.size());
    for (const Item& item : items_) names.push_back(item.name);
    return names;
}

void StreamContainer::SaveToFile(const std::string& path) {
    // The whole file is built in memory first: compression and cipher errors then come
    // before the disk is touched.
    MemoryStream file;
    SaveToStream(file);
    AtomicFileWriter writer(path);
    writer.Write(file.Data());
    writer.Commit();
}

void StreamContainer::LoadFromFile(const std::string& path) {
    MemoryStream file(ReadFileBytes(path));
    LoadFromStream(file);
}

void StreamContainer::SaveToStream(Stream& output) {
    MemoryStream image;
    image.Write(kSignature, sizeof kSignature);
    image.WriteValue<std::int32_t>(static_cast<std::int32_t>(items_.size()));
    for (const Item& item : items_) {
        // The format's fields cannot hold these; writing them cut short would give a file
        // that reads back wrong, so the save fails instead.
        if (item.name.size() > kMaxNameLength) throw EStorageError("Stream name too long");
        if (item.stream->Size() > INT32_MAX) throw EStorageError("Stream too large");
        image.WriteValue<std::uint16_t>(static_cast<std::uint16_t>(item.name.size()));
        image.Write(item.name.data(), item.name.size());
        image.WriteValue<std::int32_t>(static_cast<std::int32_t>(item.stream->Size()));
        image.Write(item.stream->Data().data(), item.stream->Data().size());
    }

    const bool cipher = Encrypted && !Key.empty();
    const std::uint8_t marks[2] = {Compressed ? kCompressedMark : kBlankMark,
                                   cipher ? kCipherMark : kBlankMark};
    Bytes payload;
    if (Compressed) {
        MemoryStream packed;
        image.Seek(0);
        Compress(image, packed);
        payload = packed.TakeData();
    } else {
        payload = image.TakeData();
    }
    if (cipher) Encipher(payload, Key);
    output.Write(marks, sizeof marks);
    output.Write(payload.data(), payload.size());
}

void StreamContainer::LoadFromStream(Stream& input) {
    std::uint8_t marks[2];
    Bytes payload;
    try {
        input.Seek(0);
        if (input.Size() < 3) ReportCorrupt();
        input.ReadBuffer(marks, sizeof marks);
        payload.resize(static_cast<std::size_t>(input.Remaining()));
        input.ReadBuffer(payload.data(), payload.size());
    } catch (const std::bad_alloc&) {
        ReportCorrupt();
    }
    const bool compressed = marks[0] == kCompressedMark;
    const bool enciphered = marks[1] == kCipherMark;

    std::string key = Key;
    if (enciphered) {
        if (OnAskForKey) key = OnAskForKey(*this);
        try {
            Decipher(payload, key);
        } catch (const std::exception&) {
            ReportCorrupt();
        }
    }
    if (!compressed && !BeginsWithSignature(payload)) ReportCorrupt();

    MemoryStream image;
    if (compressed) {
        try {
            MemoryStream packed(std::move(payload));
            Decompress(packed, image, kSignature);
        } catch (const std::exception&) {
            ReportCorrupt();
        }
    } else {
        image = MemoryStream(std::move(payload));
    }
    try {
        ReadImage(image);
    } catch (const std::bad_alloc&) {
        ReportCorrupt();
    }

    Key = key;
    Compressed = compressed;
    Encrypted = enciphered;
}

void StreamContainer::ReadImage(MemoryStream& image) {
    if (!BeginsWithSignature(image.Data())) ReportCorrupt();
    ClearStreams();
    image.Seek(sizeof kSignature);
    const auto count = image.ReadValue<std::int32_t>();
    for (std::int32_t i = 0; i < count; ++i) {
        const auto nameLength = image.ReadValue<std::uint16_t>();
        if (nameLength > image.Remaining()) throw EStreamReadError();
        std::string name(nameLength, '\0');
        image.ReadBuffer(name.data(), nameLength);
        const auto size = image.ReadValue<std::int32_t>();
        // A negative length is no length a writer produces: it cannot be read as one.
        if (size < 0 || static_cast<std::uint64_t>(size) > image.Remaining()) {
            throw EStreamReadError();
        }
        auto stream = std::make_unique<MemoryStream>();
        stream->CopyFrom(image, static_cast<std::uint64_t>(size));
        stream->Seek(0);
        // Filed as AddStream files it, which stores nothing under an empty name.
        if (!name.empty()) File(name, std::move(stream));
    }
}

void StreamContainer::ReportCorrupt() {
    if (OnCorrupt) OnCorrupt(*this);
    throw ECorruptFile();
}

void SaveSingleStream(StreamContainer& container, const std::string& path, const std::string& name,
                      Stream& source) {
    container.ClearStreams();
    try {
        container.AddStream(name, &source);
        container.SaveToFile(path);
    } catch (...) {
        container.ClearStreams();
        throw;
    }
    container.ClearStreams();
}

}  // namespace pomix
