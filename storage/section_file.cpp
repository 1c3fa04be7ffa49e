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
    keepPending_->store(false);
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
    keepPending_->store(true);
    return false;
}

SectionFile SectionFile::Twin(StreamContainer& container) const {
    container.Compressed = container_.Compressed;
    container.Encrypted = container_.Encrypted;
    container.Key = container_.Key;
    return SectionFile(container, path_, streamName_);
}

void SectionFile::AdoptLoad(const SectionFile& loaded) {
    loadFailed_ = loaded.loadFailed_;
    keepPending_->store(loaded.keepPending_->load());
}

void FileImage::Write() {
    if (replaceOnly && !Exists(path)) return;
    if (keepPending && keepPending->load() && Exists(path)) {
        const std::string kept = FreeDamagedName(path);
        if (std::rename(path.c_str(), kept.c_str()) != 0) throw EFileError::CannotCreate(kept);
        keptAs = kept;
    }
    if (keepPending) keepPending->store(false);
    // A container of its own: the program's shared one belongs to the interface thread.
    StreamContainer container;
    container.Compressed = compressed;
    container.Encrypted = encrypted;
    container.Key = key;
    SaveSingleStream(container, path, streamName, stream);
}

std::shared_ptr<FileImage> SectionFile::TakeImage(const Writer& write) const {
    auto image = std::make_shared<FileImage>();
    write(image->stream);
    image->path = path_;
    image->streamName = streamName_;
    image->compressed = container_.Compressed;
    image->encrypted = container_.Encrypted;
    image->key = container_.Key;
    image->keepPending = keepPending_;
    return image;
}

void SectionFile::Written(const FileImage& image) {
    if (!image.keptAs.empty()) keptAs_ = image.keptAs;
}

void SectionFile::Save(const Writer& write) {
    const std::shared_ptr<FileImage> image = TakeImage(write);
    image->Write();
    Written(*image);
}

}  // namespace pomix
