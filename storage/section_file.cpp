#include "storage/section_file.h"

#include <cstdio>
#include <filesystem>

#include "storage/errors.h"

namespace pomix {
namespace {

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// "<path>.damaged", or the first of "<path>.damaged.1", ".2" … that is not taken.
std::string FreeDamagedName(const std::string& path) {
    const std::string base = path + ".damaged";
    std::string name = base;
    for (unsigned n = 1; Exists(name); ++n) name = base + "." + std::to_string(n);
    return name;
}

}  // namespace

SectionFile::SectionFile(StreamContainer& container, std::string path, std::string streamName)
    : container_(container), path_(std::move(path)), streamName_(std::move(streamName)) {}

bool SectionFile::Load(const Reader& read, const std::function<void()>& forget) {
    loadFailed_ = false;
    keepPending_ = false;
    if (!Exists(path_)) return true;
    try {
        container_.ReadStreamFromFile(path_, streamName_, read);
        return true;
    } catch (const EDamagedContainer&) {
        // A large file is read while it is decoded, so its reader may have taken bytes from
        // before the damage showed: they may be garbage.
        if (forget) forget();
    } catch (...) {
        // The records read before the failure stay with the caller.
    }
    // Whatever went wrong, the file stays on disk until a save moves it away.
    container_.ClearStreams();
    loadFailed_ = true;
    keepPending_ = true;
    return false;
}

void SectionFile::Save(const Writer& write) {
    MemoryStream stream;
    write(stream);
    if (keepPending_ && Exists(path_)) {
        const std::string kept = FreeDamagedName(path_);
        if (std::rename(path_.c_str(), kept.c_str()) != 0) throw EFileError::CannotCreate(kept);
        keptAs_ = kept;
    }
    keepPending_ = false;
    SaveSingleStream(container_, path_, streamName_, stream);
}

}  // namespace pomix
