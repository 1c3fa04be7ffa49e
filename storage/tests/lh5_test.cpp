#include "storage/lh5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "storage/tests/lh5_inputs.h"

namespace pomix {
namespace {

using testing::Generate;

const std::string kVectorDir = POMIX_SHARED_DIR "/lh5-vectors";

Bytes CompressBytes(const Bytes& input) {
    MemoryStream source(input), target;
    Compress(source, target);
    return target.TakeData();
}

Bytes DecompressBytes(const Bytes& packed, std::span<const std::uint8_t> prefix = {}) {
    MemoryStream source(packed), target;
    Decompress(source, target, prefix);
    return target.TakeData();
}

std::vector<std::string> VectorNames() {
    std::vector<std::string> names;
    std::ifstream manifest(kVectorDir + "/MANIFEST.txt");
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name;
        fields >> name;
        names.push_back(name);
    }
    if (names.empty()) names.push_back("absent");  // one case that reports the skip
    return names;
}

class Lh5Vector : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kVectorDir + "/MANIFEST.txt")) {
            GTEST_SKIP() << "reference vectors not found in " << kVectorDir;
        }
        plain_ = ReadFileBytes(kVectorDir + "/" + GetParam() + ".bin");
        packed_ = ReadFileBytes(kVectorDir + "/" + GetParam() + ".lh5");
    }
    Bytes plain_, packed_;
};

TEST_P(Lh5Vector, CompressesToTheReferenceBytes) {
    const Bytes out = CompressBytes(plain_);
    ASSERT_EQ(out.size(), packed_.size());
    const auto diff = std::mismatch(out.begin(), out.end(), packed_.begin());
    EXPECT_TRUE(diff.first == out.end())
        << "first difference at byte " << (diff.first - out.begin());
}

TEST_P(Lh5Vector, DecompressesToTheInput) {
    EXPECT_TRUE(DecompressBytes(packed_) == plain_);
}

INSTANTIATE_TEST_SUITE_P(Reference, Lh5Vector, ::testing::ValuesIn(VectorNames()),
                         [](const auto& info) { return info.param; });

struct RoundTripCase {
    const char* kind;
    std::size_t size;
};

class Lh5RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(Lh5RoundTrip, GivesBackTheInput) {
    const Bytes input =
        Generate(GetParam().kind, GetParam().size, static_cast<unsigned>(GetParam().size));
    const Bytes packed = CompressBytes(input);
    ASSERT_GE(packed.size(), 4u);
    std::int32_t length;
    std::memcpy(&length, packed.data(), 4);
    EXPECT_EQ(static_cast<std::size_t>(length), input.size());
    EXPECT_TRUE(DecompressBytes(packed) == input);
}

// Sizes around the window (8192), the text buffer slide (16384) and the block buffer.
INSTANTIATE_TEST_SUITE_P(
    Boundaries, Lh5RoundTrip,
    ::testing::Values(RoundTripCase{"text", 8191}, RoundTripCase{"text", 8192},
                      RoundTripCase{"text", 8193}, RoundTripCase{"random", 16383},
                      RoundTripCase{"random", 16384}, RoundTripCase{"random", 16385},
                      RoundTripCase{"runs", 16640}, RoundTripCase{"runs", 40000},
                      RoundTripCase{"records", 24577}, RoundTripCase{"records", 100000},
                      RoundTripCase{"text", 300001}, RoundTripCase{"random", 65536 + 7}),
    [](const auto& info) {
        return std::string(info.param.kind) + "_" + std::to_string(info.param.size);
    });

TEST(Lh5, CompressTakesTheSourceFromItsPositionAndWritesAtTheTargetPosition) {
    const Bytes input = Generate("text", 5000, 1);
    MemoryStream source(input);
    source.Seek(1000);
    MemoryStream target;
    target.Write("XY", 2);
    Compress(source, target);
    MemoryStream packed(Bytes(target.Data().begin() + 2, target.Data().end()));
    MemoryStream out;
    Decompress(packed, out);
    EXPECT_TRUE(out.Data() == Bytes(input.begin() + 1000, input.end()));
    EXPECT_EQ(target.Data()[0], 'X');
}

// Builds damaged streams bit by bit, most significant bit first, after a 4-byte length.
class BitStream {
public:
    explicit BitStream(std::int32_t length) {
        bytes_.resize(4);
        std::memcpy(bytes_.data(), &length, 4);
    }
    BitStream& Put(int n, std::uint32_t v) {
        for (int i = n - 1; i >= 0; --i) {
            if (bits_ % 8 == 0) bytes_.push_back(0);
            if ((v >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (bits_ % 8));
            ++bits_;
        }
        return *this;
    }
    // Small-table lengths: 0-6 in 3 bits, longer ones as 7 and a unary tail.
    BitStream& Length(int l) {
        if (l <= 6) return Put(3, static_cast<std::uint32_t>(l));
        Put(3, 7);
        for (int i = 7; i < l; ++i) Put(1, 1);
        return Put(1, 0);
    }
    const Bytes& Data() const { return bytes_; }

private:
    Bytes bytes_;
    int bits_ = 0;
};

void ExpectCorrupt(const Bytes& packed) {
    try {
        DecompressBytes(packed);
        ADD_FAILURE() << "damage was not detected";
    } catch (const ECorruptFile& e) {
        EXPECT_STREQ(e.what(), "Compressed file is corrupt");
    }
}

struct CodeLengthCase {
    const char* name;
    std::vector<int> lengths;
};

class Lh5BadCodeLengths : public ::testing::TestWithParam<CodeLengthCase> {};

// The code-length code of a block whose lengths do not make a complete prefix code.
TEST_P(Lh5BadCodeLengths, AreRejected) {
    BitStream s(100);
    s.Put(16, 5).Put(5, static_cast<std::uint32_t>(GetParam().lengths.size()));
    for (std::size_t i = 0; i < GetParam().lengths.size(); ++i) {
        s.Length(GetParam().lengths[i]);
        if (i == 2) s.Put(2, 0);
    }
    s.Put(32, 0xFFFFFFFF);
    ExpectCorrupt(s.Data());
}

INSTANTIATE_TEST_SUITE_P(Damage, Lh5BadCodeLengths,
                         ::testing::Values(CodeLengthCase{"over_subscribed", {1, 1, 1}},
                                           CodeLengthCase{"over_subscribed_by_a_whole_code",
                                                          {1, 1, 1, 1}},
                                           CodeLengthCase{"incomplete", {1, 2}},
                                           CodeLengthCase{"single_length_one", {1}},
                                           CodeLengthCase{"longer_than_16", {1, 17, 17}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Lh5Damage, CountsAndRunsThatPassTheirTablesAreRejected) {
    // The code-length code as the single symbol 2 (a run of 20 or more zero lengths).
    auto withRunCode = [] {
        BitStream s(100);
        s.Put(16, 5).Put(5, 0).Put(5, 2);
        return s;
    };
    ExpectCorrupt(BitStream(100).Put(16, 5).Put(5, 20).Put(32, 0x24924924).Data());  // 20 of 19
    ExpectCorrupt(BitStream(100).Put(16, 5).Put(5, 0).Put(5, 19).Data());    // symbol 19 of 19
    ExpectCorrupt(withRunCode().Put(9, 511).Data());                         // 511 of 510 lengths
    ExpectCorrupt(withRunCode().Put(9, 510).Put(9, 480).Put(9, 20).Data());  // 500 + 40 zeros
    ExpectCorrupt(withRunCode().Put(9, 0).Put(9, 510).Data());  // literal symbol 510 of 510
    // Single literal 'a', then 15 position lengths of 14 and the position symbol 14.
    ExpectCorrupt(withRunCode().Put(9, 0).Put(9, 'a').Put(4, 15).Data());
    ExpectCorrupt(withRunCode().Put(9, 0).Put(9, 'a').Put(4, 0).Put(4, 14).Data());
}

TEST(Lh5Damage, ASingleSymbolBlockDecodesWithZeroBitCodes) {
    // 5 symbols, all the literal 'a': the symbols themselves take no bits.
    const Bytes out = DecompressBytes(BitStream(5)
                                          .Put(16, 5)
                                          .Put(5, 0)
                                          .Put(5, 0)
                                          .Put(9, 0)
                                          .Put(9, 'a')
                                          .Put(4, 0)
                                          .Put(4, 0)
                                          .Data());
    EXPECT_EQ(std::string(out.begin(), out.end()), "aaaaa");
}

TEST(Lh5Damage, ATruncatedStreamDecodesOnWithZeroBits) {
    // Literals only: each symbol gives one byte whatever its bits, so the length is reached.
    const Bytes input = Generate("random", 10000, 7);
    Bytes packed = CompressBytes(input);
    packed.resize(packed.size() - 40);
    const Bytes out = DecompressBytes(packed);
    ASSERT_EQ(out.size(), input.size());
    EXPECT_TRUE(std::equal(input.begin(), input.begin() + 9000, out.begin()));
    EXPECT_FALSE(std::equal(input.begin() + 9000, input.end(), out.begin() + 9000));
}

TEST(Lh5Damage, ALengthBeyondTheStreamEndsInCorruptNotInAStall) {
    Bytes packed = CompressBytes(Generate("text", 3000, 3));
    const std::int32_t absurd = 0x7FFFFFFF;
    std::memcpy(packed.data(), &absurd, 4);
    MemoryStream source(packed), target;
    EXPECT_THROW(Decompress(source, target), ECorruptFile);
    EXPECT_LT(target.Size(), 64u * 1024 * 1024);
}

TEST(Lh5Damage, APrefixMismatchStopsAtTheFirstWrongByte) {
    const std::string image = "POMIXSIG and then some text that goes on and on and on";
    Bytes packed = CompressBytes(Bytes(image.begin(), image.end()));
    const std::uint8_t good[] = {'P', 'O', 'M', 'I', 'X', 'S', 'I', 'G'};
    const std::uint8_t bad[] = {'P', 'O', 'M', 'I', 'X', 'S', 'I', 'H'};
    EXPECT_EQ(DecompressBytes(packed, good).size(), image.size());
    const std::int32_t absurd = 0x7FFFFFFF;
    std::memcpy(packed.data(), &absurd, 4);
    MemoryStream source(packed), target;
    EXPECT_THROW(Decompress(source, target, bad), ECorruptFile);
    EXPECT_EQ(target.Size(), 0u);
    // Output shorter than the prefix cannot begin with it.
    EXPECT_THROW(DecompressBytes(CompressBytes(Bytes{'P', 'O'}), good), ECorruptFile);
}

// A target that refuses to grow, as memory would for a damaged length of 2 GB.
class FullStream final : public Stream {
public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void*, std::size_t) override { throw std::bad_alloc(); }
    std::uint64_t Size() const override { return 0; }
    std::uint64_t Position() const override { return 0; }
    void Seek(std::uint64_t) override {}
};

TEST(Lh5Damage, AnOutputThatCannotBeHeldIsReportedAsCorrupt) {
    MemoryStream source(CompressBytes(Generate("text", 9000, 4)));
    FullStream target;
    EXPECT_THROW(Decompress(source, target), ECorruptFile);
}

TEST(Lh5Damage, ZeroOrNegativeLengthProducesNothing) {
    for (const std::int32_t length : {0, -1, -0x7FFFFFFF}) {
        Bytes packed(4);
        std::memcpy(packed.data(), &length, 4);
        packed.insert(packed.end(), {0xFF, 0xFF, 0x12});
        EXPECT_TRUE(DecompressBytes(packed).empty()) << length;
    }
    EXPECT_THROW(DecompressBytes(Bytes{1, 0}), EStreamReadError);
}

TEST(Lh5Damage, RandomGarbageNeverCrashes) {
    std::mt19937 rng(2024);
    const Bytes valid = CompressBytes(Generate("text", 30000, 5));
    int rejected = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes packed;
        if (round % 2 == 0) {  // pure garbage with a modest length
            packed.resize(4 + rng() % 300);
            for (auto& b : packed) b = static_cast<std::uint8_t>(rng());
            const std::int32_t length = static_cast<std::int32_t>(rng() % 200000);
            std::memcpy(packed.data(), &length, 4);
        } else {  // a valid stream with a few bytes flipped
            packed = valid;
            for (int k = 0; k < 3; ++k)
                packed[4 + rng() % (packed.size() - 4)] ^=
                    static_cast<std::uint8_t>(1 + rng() % 255);
        }
        std::int32_t length;
        std::memcpy(&length, packed.data(), 4);
        try {
            EXPECT_EQ(DecompressBytes(packed).size(), static_cast<std::size_t>(length));
        } catch (const ECorruptFile&) {
            ++rejected;
        }
    }
    EXPECT_GT(rejected, 0);
}

}  // namespace
}  // namespace pomix
