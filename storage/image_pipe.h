// Decoding a compressed container image on a second thread while the caller already reads
// the part that has arrived. Private to the storage layer: the container uses it for large
// files, whose load would otherwise be the decoding time plus the reading time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "storage/stream.h"

namespace pomix {

// The decoded image of one load, filled by the decoding thread from its start to its claimed
// length. Bytes below a count WaitFor returned are final and may be read by any thread.
class ImagePipe final : public Arrivals {
public:
    // Starts decoding packed (a length-prefixed lh5 stream, as the container stores it) into
    // room for length bytes; length is the stream's own claim, bounded by the caller. The
    // image must begin with prefix (which must outlive the pipe), or decoding stops early.
    ImagePipe(Bytes packed, std::size_t length, std::span<const std::uint8_t> prefix);
    // Waits for the decoding thread, whichever way the load ended.
    ~ImagePipe();
    ImagePipe(const ImagePipe&) = delete;
    ImagePipe& operator=(const ImagePipe&) = delete;

    std::size_t Length() const { return length_; }
    const std::uint8_t* Data() const override { return data_.get(); }
    // Returns once the first end bytes have arrived, with how many have; raises ECorruptFile
    // when decoding stopped before them.
    std::size_t WaitFor(std::size_t end) override;
    // Waits for the end of decoding; true when the whole image arrived.
    bool Finish();

private:
    class Sink;
    void Decode();
    void Publish(std::size_t written, bool finished, bool failed);

    Bytes packed_;
    std::size_t length_;
    std::span<const std::uint8_t> prefix_;
    std::unique_ptr<std::uint8_t[]> data_;
    std::mutex mutex_;
    std::condition_variable arrival_;
    // Written under mutex_; read without it by readers that need not wait.
    std::atomic<std::size_t> arrived_{0};
    // Guarded by mutex_.
    std::size_t wanted_ = 0;
    bool finished_ = false;
    bool failed_ = false;
    std::thread decoder_;
};

}  // namespace pomix
