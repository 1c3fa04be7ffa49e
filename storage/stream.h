// Byte streams with a position: the memory stream that records and containers are built in,
// and a file stream for the command-line tool and the container files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace pomix {

using Bytes = std::vector<std::uint8_t>;

class Stream {
public:
    virtual ~Stream() = default;

    // Reads up to count bytes at the position and advances it; returns how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes at the position (a memory stream grows as needed).
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual std::uint64_t Size() const = 0;
    virtual std::uint64_t Position() const = 0;
    // A position past the end is allowed; a later write fills the gap with zeros.
    virtual void Seek(std::uint64_t position) = 0;

    inline std::uint64_t Remaining() const;
    // Reads exactly count bytes or raises EStreamReadError without consuming anything.
    inline void ReadBuffer(void* buffer, std::size_t count);
    // count bytes as a string, read as ReadBuffer reads them.
    inline std::string ReadText(std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count) { Write(buffer, count); }

    // Fixed-width fields travel as their raw little-endian bytes.
    template <class T>
    T ReadValue() {
        static_assert(std::is_trivially_copyable_v<T>);
        T value;
        ReadBuffer(&value, sizeof value);
        return value;
    }
    template <class T>
    void WriteValue(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        Write(&value, sizeof value);
    }

    // Copies count bytes (all from the position on when count is absent) from source.
    void CopyFrom(Stream& source, std::uint64_t count);
    void CopyFrom(Stream& source) { CopyFrom(source, source.Remaining()); }

protected:
    // Records are read field by field from memory streams, a few bytes at a time: those reads
    // skip the virtual calls (see ReadBuffer below).
    bool inMemory_ = false;
    [[noreturn]] static void ReadPastEnd();

private:
    void ReadBufferFromAny(void* buffer, std::size_t count);
};

class MemoryStream final : public Stream {
public:
    MemoryStream() { inMemory_ = true; }
    explicit MemoryStream(Bytes bytes) : data_(std::move(bytes)) { inMemory_ = true; }
    explicit MemoryStream(const std::string& bytes) : data_(bytes.begin(), bytes.end()) {
        inMemory_ = true;
    }

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Size() const override { return data_.size(); }
    std::uint64_t Position() const override { return pos_; }
    void Seek(std::uint64_t position) override { pos_ = position; }

    // Shortens or extends (with zeros) the stream; the position is kept.
    void SetSize(std::uint64_t size);
    void Clear() {
        data_.clear();
        pos_ = 0;
    }
    void Reserve(std::size_t capacity) { data_.reserve(capacity); }

    const Bytes& Data() const { return data_; }
    Bytes TakeData() {
        pos_ = 0;
        return std::move(data_);
    }
    std::string ToString() const { return std::string(data_.begin(), data_.end()); }

    std::uint64_t LeftToRead() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    void ReadExactly(void* buffer, std::size_t count) {
        if (count > LeftToRead()) ReadPastEnd();
        if (count > 0) std::memcpy(buffer, data_.data() + pos_, count);
        pos_ += count;
    }

    std::string ReadTextExactly(std::size_t count) {
        if (count > LeftToRead()) ReadPastEnd();
        std::string text(reinterpret_cast<const char*>(data_.data()) + pos_, count);
        pos_ += count;
        return text;
    }

private:
    Bytes data_;
    std::uint64_t pos_ = 0;
};

std::uint64_t Stream::Remaining() const {
    if (inMemory_) return static_cast<const MemoryStream*>(this)->LeftToRead();
    const auto size = Size(), pos = Position();
    return pos < size ? size - pos : 0;
}

void Stream::ReadBuffer(void* buffer, std::size_t count) {
    if (inMemory_) {
        static_cast<MemoryStream*>(this)->ReadExactly(buffer, count);
    } else {
        ReadBufferFromAny(buffer, count);
    }
}

std::string Stream::ReadText(std::size_t count) {
    if (inMemory_) return static_cast<MemoryStream*>(this)->ReadTextExactly(count);
    if (count > Remaining()) ReadPastEnd();  // before the room is taken
    std::string text(count, '\0');
    ReadBufferFromAny(text.data(), count);
    return text;
}

// A file opened for reading or for writing (created or replaced). Errors raise EFileError
// on opening and EStreamWriteError on writing.
class FileStream final : public Stream {
public:
    enum class Mode { Read, Create };
    FileStream(const std::string& path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Size() const override;
    std::uint64_t Position() const override;
    void Seek(std::uint64_t position) override;

    // Pushes buffered bytes to the disk (fsync); raises EStreamWriteError on failure.
    void Flush();
    // Closes the file, reporting a failure of the final write-back.
    void Close();

private:
    std::FILE* file_ = nullptr;
};

// Reads a whole file into memory; raises EFileError when it cannot be opened.
Bytes ReadFileBytes(const std::string& path);

}  // namespace pomix
