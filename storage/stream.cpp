#include "storage/stream.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "storage/errors.h"

namespace pomix {

void Stream::ReadBufferFromAny(void* buffer, std::size_t count) {
    if (count > Remaining()) throw EStreamReadError();
    if (Read(buffer, count) != count) throw EStreamReadError();
}

void Stream::CopyFrom(Stream& source, std::uint64_t count) {
    unsigned char chunk[8192];
    while (count > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof chunk));
        source.ReadBuffer(chunk, want);
        Write(chunk, want);
        count -= want;
    }
}

void Stream::ReadPastEnd() { throw EStreamReadError(); }

std::size_t ArrivingStream::Read(void* buffer, std::size_t count) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, LeftToRead()));
    if (n > 0) std::memcpy(buffer, Take(n), n);
    return n;
}

void ArrivingStream::Write(const void*, std::size_t) {
    throw EStorageError("Stream is read-only");
}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
    if (pos_ >= data_.size()) return 0;
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, data_.size() - pos_));
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

void MemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    const std::uint64_t end = pos_ + count;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    if (pos_ == data_.size()) {
        // Appending, as streams are mostly written: no zero fill before the copy.
        data_.insert(data_.end(), bytes, bytes + count);
    } else {
        if (end > data_.size()) data_.resize(static_cast<std::size_t>(end));
        std::memcpy(data_.data() + pos_, buffer, count);
    }
    pos_ = end;
}

void MemoryStream::SetSize(std::uint64_t size) {
    data_.resize(static_cast<std::size_t>(size));
}

FileStream::FileStream(const std::string& path, Mode mode) {
    file_ = std::fopen(path.c_str(), mode == Mode::Read ? "rb" : "wb");
    if (!file_) {
        throw mode == Mode::Read ? EFileError::CannotOpen(path) : EFileError::CannotCreate(path);
    }
}

FileStream::~FileStream() {
    if (file_) std::fclose(file_);
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
    return std::fread(buffer, 1, count, file_);
}

void FileStream::Write(const void* buffer, std::size_t count) {
    if (count > 0 && std::fwrite(buffer, 1, count, file_) != count) throw EStreamWriteError();
}

std::uint64_t FileStream::Size() const {
    const long here = std::ftell(file_);
    std::fseek(file_, 0, SEEK_END);
    const long end = std::ftell(file_);
    std::fseek(file_, here, SEEK_SET);
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

std::uint64_t FileStream::Position() const {
    const long here = std::ftell(file_);
    return here < 0 ? 0 : static_cast<std::uint64_t>(here);
}

void FileStream::Seek(std::uint64_t position) {
    std::fseek(file_, static_cast<long>(position), SEEK_SET);
}

void FileStream::Flush() {
    if (std::fflush(file_) != 0 || ::fsync(fileno(file_)) != 0) throw EStreamWriteError();
}

void FileStream::Close() {
    std::FILE* f = file_;
    file_ = nullptr;
    if (f && std::fclose(f) != 0) throw EStreamWriteError();
}

Bytes ReadFileBytes(const std::string& path) {
    FileStream file(path, FileStream::Mode::Read);
    Bytes bytes;
    // The size is a hint only: the file may change while it is read.
    bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), std::uint64_t{1} << 31)));
    unsigned char chunk[65536];
    for (;;) {
        const std::size_t n = file.Read(chunk, sizeof chunk);
        if (n == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

}  // namespace pomix
