// Building wave files for the alarm tests.
#pragma once

#include <cstdint>
#include <string>

namespace pomix::testing {

inline void PutLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

inline std::string FormatChunk(std::uint16_t format, std::uint16_t channels, std::uint32_t rate,
                               std::uint16_t bits) {
    std::string chunk = "fmt ";
    PutLE(chunk, 16, 4);
    PutLE(chunk, format, 2);
    PutLE(chunk, channels, 2);
    PutLE(chunk, rate, 4);
    PutLE(chunk, rate * channels * (bits / 8), 4);
    PutLE(chunk, channels * (bits / 8), 2);
    PutLE(chunk, bits, 2);
    return chunk;
}

inline std::string DataChunk(std::uint32_t bytes) {
    std::string chunk = "data";
    PutLE(chunk, bytes, 4);
    for (std::uint32_t i = 0; i < bytes; ++i) chunk.push_back(static_cast<char>(i * 37));
    return chunk;
}

// "RIFF", the size of what follows, "WAVE", then the chunks as given.
inline std::string Riff(const std::string& chunks) {
    std::string file = "RIFF";
    PutLE(file, static_cast<std::uint32_t>(4 + chunks.size()), 4);
    return file + "WAVE" + chunks;
}

// A short, well-formed mono 16-bit sound.
inline std::string GoodWave(std::uint32_t dataBytes = 800) {
    return Riff(FormatChunk(1, 1, 8000, 16) + DataChunk(dataBytes));
}

}  // namespace pomix::testing
