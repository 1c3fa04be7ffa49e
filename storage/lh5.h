// The lh5 compression method of the LHA archive format (LZ77 over an 8192-byte window with
// static Huffman codes sent anew for every block), with a 4-byte signed little-endian
// uncompressed length in front of the bit stream.
#pragma once

#include <cstdint>
#include <span>

#include "storage/stream.h"

namespace pomix {

// Compresses source from its position to its end and writes the compressed stream at
// target's position. Output is bit-exact: the same input always gives the same bytes.
void Compress(Stream& source, Stream& target);

// Decompresses a stream read from source's position and writes the output at target's
// position. Raises ECorruptFile("Compressed file is corrupt") when a block's code lengths are
// invalid. When expectedPrefix is given, decoding stops with that error as soon as the output
// is known not to begin with those bytes, so a damaged file with an absurd length fails fast.
void Decompress(Stream& source, Stream& target, std::span<const std::uint8_t> expectedPrefix = {});

}  // namespace pomix
