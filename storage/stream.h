// Byte streams with a position: the memory stream that records and containers are built in,
// a file stream for the command-line tool and the container files, and a read-only view of
// bytes still arriving from another thread.
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
    // The next count bytes where they lie, consumed, from a stream that holds its bytes in
    // memory (a memory stream or an arriving view); null, consuming nothing, from others.
    // Raises EStreamReadError without consuming anything when fewer are left.
    inline const std::uint8_t* TakeInPlace(std::size_t count);
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
    // Records are read field by field from memory, a few bytes at a time: reads from the two
    // kinds of stream that hold their bytes in memory skip the virtual calls (see ReadBuffer
    // below).
    enum class Kind : std::uint8_t { Other, Memory, Arriving };
    Kind kind_ = Kind::Other;
    [[noreturn]] static void ReadPastEnd();

private:
    void ReadBufferFromAny(void* buffer, std::size_t count);
};

class MemoryStream final : public Stream {
public:
    MemoryStream() { kind_ = Kind::Memory; }
    explicit MemoryStream(Bytes bytes) : data_(std::move(bytes)) { kind_ = Kind::Memory; }
    explicit MemoryStream(const std::string& bytes) : data_(bytes.begin(), bytes.end()) {
        kind_ = Kind::Memory;
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

    const std::uint8_t* TakeExactly(std::size_t count) {
        if (count > LeftToRead()) ReadPastEnd();
        const std::uint8_t* bytes = data_.data() + pos_;
        pos_ += count;
        return bytes;
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

// Bytes that another thread is still producing, from the first on: those below an arrived
// count are final.
class Arrivals {
public:
    // Where the bytes lie: the same for the arrivals' whole life.
    virtual const std::uint8_t* Data() const = 0;
    // Returns once the first end bytes have arrived, with how many have; raises when they
    // never will.
    virtual std::size_t WaitFor(std::size_t end) = 0;

protected:
    ~Arrivals() = default;
};

// A read-only view of the bytes [begin, begin + size) of arrivals; reads wait for their bytes.
class ArrivingStream final : public Stream {
public:
    ArrivingStream(Arrivals& arrivals, std::size_t begin, std::size_t size)
        : arrivals_(arrivals), data_(arrivals.Data()), begin_(begin), size_(size) {
        kind_ = Kind::Arriving;
    }

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Size() const override { return size_; }
    std::uint64_t Position() const override { return pos_; }
    void Seek(std::uint64_t position) override { pos_ = position; }

    std::uint64_t LeftToRead() const { return pos_ < size_ ? size_ - pos_ : 0; }
    // The bytes of the next count; raises EStreamReadError without consuming anything when
    // the view holds fewer.
    const std::uint8_t* Take(std::size_t count) {
        if (count > LeftToRead()) ReadPastEnd();
        if (count == 0) return data_;
        const std::size_t from = begin_ + static_cast<std::size_t>(pos_);
        if (from + count > known_) known_ = arrivals_.WaitFor(from + count);
        pos_ += count;
        return data_ + from;
    }

private:
    Arrivals& arrivals_;
    const std::uint8_t* data_;
    std::size_t begin_;
    std::size_t size_;
    std::uint64_t pos_ = 0;
    // What this reader already knows to have arrived, so most reads take no lock.
    std::size_t known_ = 0;
};

// GCC, inlining these into reads from a MemoryStream, warns of the arriving stream's members
// past a MemoryStream's size, on the branch that stream's kind never takes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"

std::uint64_t Stream::Remaining() const {
    if (kind_ == Kind::Memory) return static_cast<const MemoryStream*>(this)->LeftToRead();
    if (kind_ == Kind::Arriving) return static_cast<const ArrivingStream*>(this)->LeftToRead();
    const auto size = Size(), pos = Position();
    return pos < size ? size - pos : 0;
}

void Stream::ReadBuffer(void* buffer, std::size_t count) {
    if (kind_ == Kind::Memory) {
        static_cast<MemoryStream*>(this)->ReadExactly(buffer, count);
    } else if (kind_ == Kind::Arriving) {
        const auto* bytes = static_cast<ArrivingStream*>(this)->Take(count);
        if (count > 0) std::memcpy(buffer, bytes, count);
    } else {
        ReadBufferFromAny(buffer, count);
    }
}

std::string Stream::ReadText(std::size_t count) {
    if (kind_ == Kind::Memory) return static_cast<MemoryStream*>(this)->ReadTextExactly(count);
    if (kind_ == Kind::Arriving) {
        const auto* bytes = static_cast<ArrivingStream*>(this)->Take(count);
        return std::string(reinterpret_cast<const char*>(bytes), count);
    }
    if (count > Remaining()) ReadPastEnd();  // before the room is taken
    std::string text(count, '\0');
    ReadBufferFromAny(text.data(), count);
    return text;
}

const std::uint8_t* Stream::TakeInPlace(std::size_t count) {
    if (kind_ == Kind::Memory) return static_cast<MemoryStream*>(this)->TakeExactly(count);
    if (kind_ == Kind::Arriving) return static_cast<ArrivingStream*>(this)->Take(count);
    return nullptr;
}

#pragma GCC diagnostic pop

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
