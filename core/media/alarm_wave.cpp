#include "core/media/alarm_wave.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace pomix {
namespace {

std::uint32_t U32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t U16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

bool Tag(const std::string& b, std::size_t at, const char* tag) {
    return b.compare(at, 4, tag) == 0;
}

constexpr std::uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;

// Reads the "fmt " chunk of size bytes at offset into info; false for a format not played.
bool ReadFormat(const std::string& b, std::size_t at, std::size_t size, WaveInfo& info) {
    if (size < 16) return false;
    std::uint16_t format = U16(b, at);
    const std::uint16_t channels = U16(b, at + 2);
    const std::uint32_t rate = U32(b, at + 4);
    const std::uint16_t blockAlign = U16(b, at + 12);
    const std::uint16_t bits = U16(b, at + 14);
    // The extensible form names its real format in the first two bytes of its sub-format.
    if (format == kExtensible) {
        if (size < 40) return false;
        format = U16(b, at + 24);
    }
    if (channels < 1 || channels > 8 || rate < 1000 || rate > 384000) return false;
    if (blockAlign != channels * (bits / 8)) return false;
    if (format == kPcm && bits == 8) info.Samples = WaveSamples::UInt8;
    else if (format == kPcm && bits == 16) info.Samples = WaveSamples::Int16;
    else if (format == kPcm && bits == 32) info.Samples = WaveSamples::Int32;
    else if (format == kFloat && bits == 32) info.Samples = WaveSamples::Float;
    else return false;
    info.Channels = channels;
    info.SampleRate = rate;
    return true;
}

}  // namespace

bool LoadAlarmFile(const std::string& path, std::string& buffer) {
    if (path.empty()) return false;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!file) return false;
    // Read one byte past the limit rather than trust a size asked for beforehand: the file
    // may be a pipe, or change while it is read.
    std::string bytes;
    // A regular file's size decides at once, and is the room the bytes need: no regrowing.
    struct stat info {};
    if (::fstat(::fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode)) {
        if (static_cast<std::uint64_t>(info.st_size) > kMaxAlarmBytes) return false;
        bytes.reserve(static_cast<std::size_t>(info.st_size) + 1);
    }
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        bytes.append(chunk, got);
        if (bytes.size() > kMaxAlarmBytes) return false;
    }
    if (std::ferror(file.get())) return false;
    buffer = std::move(bytes);
    return true;
}

bool ParseWave(const std::string& b, WaveInfo& info) {
    if (b.size() < 12 || !Tag(b, 0, "RIFF") || !Tag(b, 8, "WAVE")) return false;
    const std::uint64_t riffEnd = 8ull + U32(b, 4);
    if (riffEnd > b.size()) return false;
    WaveInfo found;
    bool haveFormat = false;
    std::uint64_t at = 12;
    while (at + 8 <= riffEnd) {
        const std::uint64_t size = U32(b, static_cast<std::size_t>(at + 4));
        const std::uint64_t body = at + 8;
        if (body + size > riffEnd) return false;
        if (Tag(b, static_cast<std::size_t>(at), "fmt ")) {
            if (haveFormat || !ReadFormat(b, static_cast<std::size_t>(body), size, found)) return false;
            haveFormat = true;
        } else if (Tag(b, static_cast<std::size_t>(at), "data")) {
            if (!haveFormat || size == 0) return false;
            found.DataOffset = static_cast<std::size_t>(body);
            // Whole sample frames only.
            const std::size_t frame = found.Channels * (found.Samples == WaveSamples::UInt8   ? 1u
                                                        : found.Samples == WaveSamples::Int16 ? 2u
                                                                                              : 4u);
            found.DataSize = static_cast<std::size_t>(size) / frame * frame;
            if (found.DataSize == 0) return false;
            info = found;
            return true;
        }
        at = body + size + (size & 1);  // chunks start on even offsets
    }
    return false;
}

}  // namespace pomix
