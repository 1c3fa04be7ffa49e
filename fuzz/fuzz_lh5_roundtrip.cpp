// Compresses arbitrary bytes and decompresses the result: the input must come back unchanged.
// Small inputs are stretched by repeating them with a varying step, so that the dictionary
// tree meets long matches, the window slide and the 8192-byte distance limit.
#include <cstddef>
#include <cstdint>

#include "storage/lh5.h"
#include "storage/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pomix::Bytes input(data, data + size);
    if (size > 2 && data[0] == 0xA5) {
        const std::size_t target = std::size_t{data[1]} * 400;
        for (std::size_t i = 2; input.size() < target; ++i)
            input.push_back(input[i % input.size()] ^ data[i % size]);
    }
    pomix::MemoryStream source(input), packed;
    pomix::Compress(source, packed);
    packed.Seek(0);
    pomix::MemoryStream output;
    pomix::Decompress(packed, output);
    if (output.Data() != input) __builtin_trap();
    return 0;
}
