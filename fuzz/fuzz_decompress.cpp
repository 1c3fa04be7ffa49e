// Decompresses arbitrary bytes: any input must end in output of the claimed length or in one of
// the storage errors, never in a crash, an overrun or a hang.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::int32_t length;
    std::memcpy(&length, data, 4);
    // Larger claims only make the run slow: their decoding is the same loop.
    if (length > (16 << 20)) return 0;
    pomix::MemoryStream source(pomix::Bytes(data, data + size));
    pomix::MemoryStream target;
    try {
        pomix::Decompress(source, target);
    } catch (const pomix::ECorruptFile&) {
        return 0;
    }
    if (length > 0 && target.Size() != static_cast<std::uint64_t>(length)) __builtin_trap();
    return 0;
}
