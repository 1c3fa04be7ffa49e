#include "core/debts/real48.h"

#include <cmath>

namespace pomix {
namespace {

constexpr int kBias = 129;
constexpr int kFractionBits = 39;
constexpr std::uint64_t kHidden = std::uint64_t{1} << kFractionBits;

Real48 Pack(bool negative, int exponent, std::uint64_t fraction) {
    Real48 r;
    r.Bytes[0] = static_cast<std::uint8_t>(exponent);
    for (int i = 1; i <= 5; ++i) {
        r.Bytes[i] = static_cast<std::uint8_t>(fraction >> (8 * (i - 1)));
    }
    r.Bytes[5] = static_cast<std::uint8_t>((r.Bytes[5] & 0x7F) | (negative ? 0x80 : 0));
    return r;
}

}  // namespace

std::optional<Real48> ToReal48(long double value) {
    if (!std::isfinite(value)) return std::nullopt;
    if (value == 0) return Real48{};
    const bool negative = std::signbit(value);
    int exp2 = 0;
    // |value| = m * 2^exp2 with m in [0.5, 1): the 40 significant bits are m * 2^40, exact in
    // the 64-bit mantissa of long double before the rounding below.
    const long double m = std::frexp(std::fabs(value), &exp2);
    long double significand = std::nearbyint(std::ldexp(m, kFractionBits + 1));
    int exponent = exp2 - 1 + kBias;
    if (significand >= static_cast<long double>(kHidden << 1)) {  // rounded up to 2^40
        significand = static_cast<long double>(kHidden);
        ++exponent;
    }
    if (exponent > 255) return std::nullopt;
    if (exponent < 1) return Real48{};
    const auto bits = static_cast<std::uint64_t>(significand) - kHidden;
    return Pack(negative, exponent, bits);
}

long double FromReal48(const Real48& value) {
    const int exponent = value.Bytes[0];
    if (exponent == 0) return 0;
    std::uint64_t fraction = 0;
    for (int i = 5; i >= 1; --i) fraction = (fraction << 8) | value.Bytes[i];
    fraction &= kHidden - 1;
    const long double magnitude = std::ldexp(static_cast<long double>(kHidden | fraction),
                                             exponent - kBias - kFractionBits);
    return (value.Bytes[5] & 0x80) ? -magnitude : magnitude;
}

Real48 Real48Max(bool negative) { return Pack(negative, 255, kHidden - 1); }

}  // namespace pomix
