// Arbitrary bytes as an alarm sound: the wave check never reads outside the bytes, and what it
// accepts names samples that lie inside them, in whole frames of a format the player knows.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/media/alarm_wave.h"

using namespace pomix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    WaveInfo info;
    if (!ParseWave(bytes, info)) return 0;
    const std::size_t sample = info.Samples == WaveSamples::UInt8 ? 1 : info.Samples == WaveSamples::Int16 ? 2 : 4;
    if (info.DataSize == 0 || info.DataOffset > size || info.DataSize > size - info.DataOffset) std::abort();
    if (info.Channels < 1 || info.Channels > 8 || info.DataSize % (sample * info.Channels) != 0) std::abort();
    if (info.SampleRate < 1000 || info.SampleRate > 384000) std::abort();
    return 0;
}
