#include "storage/image_pipe.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "storage/errors.h"
#include "storage/lh5.h"

namespace pomix {
namespace {

// Arrivals are announced in steps of this size: small enough that the reader rarely waits
// long, large enough that announcing costs nothing next to decoding.
constexpr std::size_t kAnnounceStep = 64 * 1024;
// A waiting reader is woken when this much lies beyond what it asked for, not at every step.
constexpr std::size_t kWakeAhead = 256 * 1024;

}  // namespace

// The decoder's target: copies each decoded window into the image and announces it.
class ImagePipe::Sink final : public Stream {
public:
    explicit Sink(ImagePipe& pipe) : pipe_(pipe) {}

    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void* buffer, std::size_t count) override {
        if (count > pipe_.length_ - written_) throw ECorruptFile("Compressed file is corrupt");
        std::memcpy(pipe_.data_.get() + written_, buffer, count);
        written_ += count;
        if (written_ - announced_ >= kAnnounceStep) {
            pipe_.Publish(written_, false, false);
            announced_ = written_;
        }
    }
    std::uint64_t Size() const override { return written_; }
    std::uint64_t Position() const override { return written_; }
    void Seek(std::uint64_t) override {}

    std::size_t Written() const { return written_; }

private:
    ImagePipe& pipe_;
    std::size_t written_ = 0;
    std::size_t announced_ = 0;
};

ImagePipe::ImagePipe(Bytes packed, std::size_t length, std::span<const std::uint8_t> prefix)
    : packed_(std::move(packed)),
      length_(length),
      prefix_(prefix),
      // Not zero-filled: every byte is written before it is announced.
      data_(new std::uint8_t[std::max<std::size_t>(length, 1)]) {
    try {
        decoder_ = std::thread(&ImagePipe::Decode, this);
    } catch (const std::system_error&) {
        Decode();  // no thread to be had: decode here, the reader then never waits
    }
}

ImagePipe::~ImagePipe() {
    if (decoder_.joinable()) decoder_.join();
}

void ImagePipe::Decode() {
    Sink sink(*this);
    try {
        MemoryStream source(std::move(packed_));
        Decompress(source, sink, prefix_);
        Publish(sink.Written(), true, sink.Written() != length_);
    } catch (...) {
        // Everything decoded before the fault stays readable, the same on every run.
        Publish(sink.Written(), true, true);
    }
}

void ImagePipe::Publish(std::size_t written, bool finished, bool failed) {
    bool wake;
    {
        std::lock_guard lock(mutex_);
        arrived_.store(written, std::memory_order_release);
        finished_ = finished_ || finished;
        failed_ = failed_ || failed;
        wake = finished_ || written >= wanted_;
    }
    if (wake) arrival_.notify_all();
}

std::size_t ImagePipe::WaitFor(std::size_t end) {
    const std::size_t arrived = arrived_.load(std::memory_order_acquire);
    if (end <= arrived) return arrived;
    std::unique_lock lock(mutex_);
    wanted_ = std::min(length_, end + kWakeAhead);
    arrival_.wait(lock, [&] { return arrived_.load() >= end || finished_; });
    const std::size_t now = arrived_.load();
    if (now < end) throw ECorruptFile("Compressed file is corrupt");
    return now;
}

bool ImagePipe::Finish() {
    if (decoder_.joinable()) decoder_.join();
    std::lock_guard lock(mutex_);
    return finished_ && !failed_;
}

}  // namespace pomix
