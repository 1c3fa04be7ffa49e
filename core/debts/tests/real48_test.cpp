#include "core/debts/real48.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace pomix {
namespace {

Real48 R(std::array<std::uint8_t, 6> bytes) { return Real48{bytes}; }

TEST(Real48, KnownEncodings) {
    const struct {
        long double value;
        std::array<std::uint8_t, 6> bytes;
    } cases[] = {
        {0.0L, {0, 0, 0, 0, 0, 0}},
        {1.0L, {0x81, 0, 0, 0, 0, 0}},
        {-1.0L, {0x81, 0, 0, 0, 0, 0x80}},
        {0.5L, {0x80, 0, 0, 0, 0, 0}},
        {1.5L, {0x81, 0, 0, 0, 0, 0x40}},
        {100.0L, {0x87, 0, 0, 0, 0, 0x48}},
        {-2.75L, {0x82, 0, 0, 0, 0, 0xB0}},
        {1.0L + std::ldexp(1.0L, -39), {0x81, 1, 0, 0, 0, 0}},  // the lowest fraction bit
        {std::ldexp(1.0L, -128), {0x01, 0, 0, 0, 0, 0}},        // the smallest magnitude
    };
    for (const auto& c : cases) {
        const auto encoded = ToReal48(c.value);
        ASSERT_TRUE(encoded.has_value()) << static_cast<double>(c.value);
        EXPECT_EQ(encoded->Bytes, c.bytes) << static_cast<double>(c.value);
        EXPECT_EQ(FromReal48(R(c.bytes)), c.value);
    }
    EXPECT_EQ(ToReal48(-0.0L)->Bytes, (std::array<std::uint8_t, 6>{}));
}

TEST(Real48, ExponentByteZeroIsZeroWhateverTheOtherBytes) {
    EXPECT_EQ(FromReal48(R({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})), 0.0L);
}

TEST(Real48, RoundsToNearestWithTiesToEven) {
    const long double two40 = std::ldexp(1.0L, 40);  // from here on the step is 2
    EXPECT_EQ(FromReal48(*ToReal48(two40 - 1)), two40 - 1);  // 40 bits: exact
    EXPECT_EQ(FromReal48(*ToReal48(two40 + 1)), two40);      // tie: to the even fraction
    EXPECT_EQ(FromReal48(*ToReal48(two40 + 3)), two40 + 4);  // tie: to the even fraction
    EXPECT_EQ(FromReal48(*ToReal48(two40 + 2.5L)), two40 + 2);
    EXPECT_EQ(FromReal48(*ToReal48(two40 + 1.25L)), two40 + 2);
    // A carry out of the fraction moves the exponent on.
    EXPECT_EQ(ToReal48(2.0L - std::ldexp(1.0L, -41))->Bytes,
              (std::array<std::uint8_t, 6>{0x82, 0, 0, 0, 0, 0}));
    // 0.1 lands within half a step (2^-44) of itself.
    EXPECT_LE(std::fabs(FromReal48(*ToReal48(0.1L)) - 0.1L), std::ldexp(1.0L, -44));
}

TEST(Real48, RangeEnds) {
    const long double max = FromReal48(Real48Max());
    EXPECT_EQ(max, (2.0L - std::ldexp(1.0L, -39)) * std::ldexp(1.0L, 126));
    EXPECT_EQ(Real48Max().Bytes, (std::array<std::uint8_t, 6>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(FromReal48(Real48Max(true)), -max);
    EXPECT_EQ(ToReal48(max), Real48Max());
    EXPECT_FALSE(ToReal48(std::ldexp(1.0L, 127)).has_value());
    EXPECT_FALSE(ToReal48(max + std::ldexp(1.0L, 86)).has_value());  // rounds up past the end
    EXPECT_FALSE(ToReal48(-1e39L).has_value());
    EXPECT_FALSE(ToReal48(NAN).has_value());
    EXPECT_FALSE(ToReal48(INFINITY).has_value());
    EXPECT_EQ(ToReal48(std::ldexp(1.0L, -129)), Real48{});  // below the smallest: zero
}

TEST(Real48, EveryStoredValueSurvivesBothDirections) {
    std::mt19937_64 random(48);
    for (int i = 0; i < 20000; ++i) {
        Real48 r;
        const std::uint64_t bits = random();
        for (int b = 0; b < 6; ++b) r.Bytes[b] = static_cast<std::uint8_t>(bits >> (8 * b));
        if (r.Bytes[0] == 0) continue;  // zero has one encoding only
        const long double value = FromReal48(r);
        ASSERT_EQ(ToReal48(value), r) << value;
    }
}

}  // namespace
}  // namespace pomix
