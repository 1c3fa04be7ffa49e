// Private to the lh5 codec: the constants of the format and the canonical code rule that the
// encoder and the decoder share.
#pragma once

#include <cstdint>

namespace pomix::lh5 {

inline constexpr int kDicBits = 13;
inline constexpr int kDicSize = 1 << kDicBits;  // the window: position values 0 to 8191
inline constexpr int kDicMask = kDicSize - 1;
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 256;
// Literal/length symbols: 0-255 bytes, 256-509 match lengths 3-256 (length = symbol - 253).
inline constexpr int kNC = 256 + kMaxMatch - kMinMatch + 1;
inline constexpr int kNP = kDicBits + 1;  // position symbols: the bit length of the value
inline constexpr int kNT = 19;            // code-length symbols
inline constexpr int kMaxCodeBits = 16;
inline constexpr int kCountBitsC = 9;  // width of the literal/length length count
inline constexpr int kCountBitsT = 5;  // width of the code-length length count
inline constexpr int kCountBitsP = 4;  // width of the position length count
// The two-bit zero-run field of the code-length code follows its third length.
inline constexpr int kZeroRunAfter = 3;
inline constexpr int kZeroRunLimit = 6;

// Number of bits in the position value v (0 for 0): its position symbol.
inline int PositionSymbol(unsigned v) {
    int bits = 0;
    while (v != 0) {
        v >>= 1;
        ++bits;
    }
    return bits;
}

// Canonical codes: symbols of one length get consecutive codes in symbol order, shorter codes
// first. Symbols of length 0 get no code.
inline void AssignCodes(int n, const std::uint8_t* lengths, std::uint16_t* codes) {
    std::uint16_t count[kMaxCodeBits + 2] = {};
    for (int i = 0; i < n; ++i) count[lengths[i]]++;
    std::uint16_t start[kMaxCodeBits + 2] = {};
    for (int l = 1; l <= kMaxCodeBits; ++l) {
        start[l + 1] = static_cast<std::uint16_t>((start[l] + count[l]) << 1);
    }
    for (int i = 0; i < n; ++i) {
        if (lengths[i] != 0) codes[i] = start[lengths[i]]++;
    }
}

}  // namespace pomix::lh5
