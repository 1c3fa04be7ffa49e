// Compresses arbitrary bytes and decompresses the result: the input must come back unchanged.
// Small inputs are stretched by repeating them with a varying step, so that the dictionary
// tree meets long matches, the window slide and the 8192-byte distance limit. Stretched
// inputs are also compressed with the search spread over threads in small segments, whose
// guesses are taken or searched again: the bytes must be those of the one-thread search.
#include <cstddef>
#include <cstdint>

#include "storage/lh5.h"
#include "storage/lh5_matches.h"
#include "storage/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pomix::Bytes input(data, data + size);
    if (size > 2 && data[0] == 0xA5) {
        const std::size_t target = std::size_t{data[1]} * 400;
        for (std::size_t i = 2; input.size() < target; ++i)
            input.push_back(input[i % input.size()] ^ data[i % size]);
    }
    pomix::MemoryStream source(input), packed;
    pomix::lh5::CompressWith(source, packed, pomix::lh5::SearchShape{1, 0, 0});
    if (input.size() > 3 * 8192) {
        const pomix::lh5::SearchShape spread{2 + data[1] % 3, 2 * 8192, (1 + data[1] % 2) * 8192};
        pomix::MemoryStream again(input), packedAgain;
        pomix::lh5::CompressWith(again, packedAgain, spread);
        if (packedAgain.Data() != packed.Data()) __builtin_trap();
    }
    packed.Seek(0);
    pomix::MemoryStream output;
    pomix::Decompress(packed, output);
    if (output.Data() != input) __builtin_trap();
    return 0;
}
