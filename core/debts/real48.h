// The 6-byte real in which debt amounts and their sums are held.
//
// Byte 0 is the exponent biased by 129 (0 means the value zero, whatever the other bytes);
// bytes 1..5 hold the 39-bit fraction little-endian (byte 5 only its low 7 bits) below a hidden
// leading 1; the top bit of byte 5 is the sign. The value is (1 + fraction / 2^39) * 2^(e - 129),
// from about 2.9e-39 to 1.7e38 in magnitude, 40 significant bits (11 to 12 decimal digits).
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace pomix {

struct Real48 {
    std::array<std::uint8_t, 6> Bytes{};  // all zero: the value 0
    friend bool operator==(const Real48&, const Real48&) = default;
};

// Rounds to the nearest 6-byte real, ties to the even fraction. Magnitudes below the smallest
// 6-byte real become zero. None for NaN, infinities and magnitudes beyond the largest.
std::optional<Real48> ToReal48(long double value);
long double FromReal48(const Real48& value);

// The largest magnitude, (2 - 2^-39) * 2^126.
Real48 Real48Max(bool negative = false);

}  // namespace pomix
