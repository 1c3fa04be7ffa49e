// The alarm sound as the planner keeps it (AlarmBuffer: the whole file's bytes) and the check
// that those bytes are a wave file the player can hand to the sound output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pomix {

// A sound file above this size is not read: the alarm is a short sound, and the whole file
// is held in memory for the run.
inline constexpr std::size_t kMaxAlarmBytes = 16u * 1024u * 1024u;

// Reads the file at path whole into buffer. A missing file, one that cannot be read, or one
// larger than kMaxAlarmBytes leaves buffer as it was and gives false. The content is not
// looked at: bytes that are no wave file are kept, and later play nothing.
bool LoadAlarmFile(const std::string& path, std::string& buffer);

enum class WaveSamples { UInt8, Int16, Int32, Float };

// Where the samples of a wave file lie and how to play them.
struct WaveInfo {
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0;
    WaveSamples Samples = WaveSamples::Int16;
    std::size_t DataOffset = 0;  // of the "data" chunk's bytes within the file
    std::size_t DataSize = 0;
};

// True for a well-formed RIFF/WAVE file of plain samples: "RIFF", a size that stays within the
// file, "WAVE", then chunks that each lie within the RIFF size; a "fmt " chunk (PCM of 8, 16
// or 32 bits, or 32-bit float; 1 to 8 channels; a block size that matches) before a "data"
// chunk. Anything else, compressed formats included, gives false and plays nothing.
bool ParseWave(const std::string& bytes, WaveInfo& info);

}  // namespace pomix
