// Private to the lh5 codec: the bit writer of the encoder. Bits are packed most significant
// bit first; completed bytes reach the target in pieces of 8192 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "storage/stream.h"

namespace pomix::lh5 {

class BitWriter {
public:
    explicit BitWriter(Stream& target) : target_(target) {}

    // Appends the low n bits of value (n up to 32; value must have no higher bits set).
    void Put(int n, std::uint32_t value) {
        acc_ = (acc_ << n) | value;
        count_ += n;
        if (count_ >= 32) {
            count_ -= 32;
            const auto word = static_cast<std::uint32_t>(acc_ >> count_);
            if (used_ + 4 > kBufferSize) FlushBuffer();
            buffer_[used_] = static_cast<std::uint8_t>(word >> 24);
            buffer_[used_ + 1] = static_cast<std::uint8_t>(word >> 16);
            buffer_[used_ + 2] = static_cast<std::uint8_t>(word >> 8);
            buffer_[used_ + 3] = static_cast<std::uint8_t>(word);
            used_ += 4;
        }
    }

    // Writes every completed byte; the bits of an incomplete last byte are dropped.
    void Finish() {
        while (count_ >= 8) {
            count_ -= 8;
            if (used_ == kBufferSize) FlushBuffer();
            buffer_[used_++] = static_cast<std::uint8_t>(acc_ >> count_);
        }
        FlushBuffer();
    }

private:
    static constexpr std::size_t kBufferSize = 8192;

    void FlushBuffer() {
        if (used_ > 0) target_.Write(buffer_, used_);
        used_ = 0;
    }

    Stream& target_;
    std::uint64_t acc_ = 0;
    int count_ = 0;
    std::size_t used_ = 0;
    std::uint8_t buffer_[kBufferSize];
};

}  // namespace pomix::lh5
