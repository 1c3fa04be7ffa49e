// The lh5 encoder: one step of lazy matching over the dictionary tree, symbols collected in a
// block buffer, each block sent with its own Huffman codes.
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/lh5_bits.h"
#include "storage/lh5_dictionary.h"
#include "storage/lh5_format.h"
#include "storage/lh5_huffman.h"
#include "storage/lh5_matches.h"

namespace pomix {
namespace {

using namespace lh5;

// Block buffer: groups of 8 symbols, each led by a flag byte whose bits (from bit 7 down)
// mark matches. A literal takes 1 byte, a match 3 (length - 3, position value high byte
// first). A block is sent before a group would start with fewer than 24 bytes free.
constexpr int kBlockSize = 16384;
constexpr int kBlockLimit = kBlockSize - 3 * 8;

class Encoder {
public:
    Encoder(Stream& source, Stream& target, std::int64_t length, const SearchShape& shape)
        : search_(source, length, shape), length_(length), out_(target) {}

    void Run();
    const SearchReport& Report() const { return search_.Report(); }

private:
    void Decide(std::int64_t q, Found found, const InputView& input);
    void Output(int c, unsigned position);
    void SendBlock();
    template <class Emit>
    void ForEachLengthSymbol(int n, Emit emit) const;
    int LiteralLengthCount() const;
    void CountCodeLengthSymbols();
    void WriteSmallTable(int n, const std::uint8_t* lengths, int countBits, int zeroRunAfter);
    void WriteLiteralLengths();
    void PutC(int c) { out_.Put(cLen_[c], cCode_[c]); }
    void PutT(int t) { out_.Put(tLen_[t], tCode_[t]); }

    MatchSearch search_;
    std::int64_t length_;
    // The parse: the match at want_ - 1 (when haveLast_) waits for the one at want_.
    std::int64_t want_ = 0;
    bool haveLast_ = false;
    Found last_{};

    std::uint8_t block_[kBlockSize];
    int blockUsed_ = 0;
    int flagAt_ = 0;
    unsigned flagMask_ = 0;
    std::uint32_t cFreq_[kNC] = {};
    std::uint32_t pFreq_[kNP] = {};
    std::uint32_t tFreq_[kNT] = {};
    std::uint8_t cLen_[kNC] = {};
    std::uint16_t cCode_[kNC] = {};
    std::uint8_t pLen_[kNP] = {};
    std::uint16_t pCode_[kNP] = {};
    std::uint8_t tLen_[kNT] = {};
    std::uint16_t tCode_[kNT] = {};
    HuffmanBuilder huffman_;
    BitWriter out_;
};

// One step of lazy matching: the match at q - 1 is taken unless the one at q is longer.
// After a match of length L the next step starts from the match at q - 1 + L.
inline void Encoder::Decide(std::int64_t q, Found found, const InputView& input) {
    if (!haveLast_) {
        last_ = found;
        haveLast_ = true;
        want_ = q + 1;
        return;
    }
    if (found.length > last_.length || last_.length < kMinMatch) {
        Output(*input.At(q - 1), 0);
        last_ = found;
        want_ = q + 1;
    } else {
        Output(last_.length + (256 - kMinMatch), (last_.distance - 1u) & kDicMask);
        haveLast_ = false;
        want_ = q - 1 + last_.length;
    }
}

void Encoder::Run() {
    MatchSearch::Stretch stretch;
    InputView input;
    while (search_.Next(stretch)) {
        input = stretch.input;
        const std::int64_t end = stretch.first + stretch.count;
        for (std::int64_t q = std::max(want_, stretch.first); q < end; q = want_) {
            Decide(q, stretch.found[q - stretch.first], input);
        }
    }
    // The search at the end of the input finds nothing: the last pending match is taken.
    if (haveLast_ && want_ == length_) Decide(length_, Found{0, 0}, input);
    SendBlock();
    out_.Put(7, 0);
    out_.Finish();
}

void Encoder::Output(int c, unsigned position) {
    flagMask_ >>= 1;
    if (flagMask_ == 0) {
        flagMask_ = 0x80;
        if (blockUsed_ >= kBlockLimit) {
            SendBlock();
            blockUsed_ = 0;
        }
        flagAt_ = blockUsed_++;
        block_[flagAt_] = 0;
    }
    block_[blockUsed_++] = static_cast<std::uint8_t>(c);
    cFreq_[c]++;
    if (c >= 256) {
        block_[flagAt_] |= static_cast<std::uint8_t>(flagMask_);
        block_[blockUsed_++] = static_cast<std::uint8_t>(position >> 8);
        block_[blockUsed_++] = static_cast<std::uint8_t>(position);
        pFreq_[PositionSymbol(position)]++;
    }
}

// Literal/length lengths 0 to n - 1 (n: up to the last non-zero one) as code-length symbols:
// l + 2 for a length l, and for a run of r zeros: r = 1-2 r times 0; 3-18 once 1 with 4 bits
// r - 3; 19 once 0, once 1 with 4 bits 15; 20 or more once 2 with 9 bits r - 20.
// emit(t, bits, value) gets each symbol t and its extra bits (bits 0 when none).
template <class Emit>
void Encoder::ForEachLengthSymbol(int n, Emit emit) const {
    int i = 0;
    while (i < n) {
        const int k = cLen_[i++];
        if (k != 0) {
            emit(k + 2, 0, 0u);
            continue;
        }
        int run = 1;
        while (i < n && cLen_[i] == 0) {
            ++i;
            ++run;
        }
        if (run <= 2) {
            for (int j = 0; j < run; ++j) emit(0, 0, 0u);
        } else if (run <= 18) {
            emit(1, 4, static_cast<std::uint32_t>(run - 3));
        } else if (run == 19) {
            emit(0, 0, 0u);
            emit(1, 4, 15u);
        } else {
            emit(2, 9, static_cast<std::uint32_t>(run - 20));
        }
    }
}

int Encoder::LiteralLengthCount() const {
    int n = kNC;
    while (n > 0 && cLen_[n - 1] == 0) --n;
    return n;
}

void Encoder::CountCodeLengthSymbols() {
    for (auto& f : tFreq_) f = 0;
    ForEachLengthSymbol(LiteralLengthCount(), [this](int t, int, std::uint32_t) { tFreq_[t]++; });
}

void Encoder::WriteSmallTable(int n, const std::uint8_t* lengths, int countBits, int zeroRunAfter) {
    while (n > 0 && lengths[n - 1] == 0) --n;
    out_.Put(countBits, static_cast<std::uint32_t>(n));
    int i = 0;
    while (i < n) {
        const int k = lengths[i++];
        if (k <= 6) {
            out_.Put(3, static_cast<std::uint32_t>(k));
        } else {
            out_.Put(k - 3, (1u << (k - 3)) - 2);
        }
        if (i == zeroRunAfter) {
            while (i < kZeroRunLimit && lengths[i] == 0) ++i;
            out_.Put(2, static_cast<std::uint32_t>(i - zeroRunAfter));
        }
    }
}

void Encoder::WriteLiteralLengths() {
    const int n = LiteralLengthCount();
    out_.Put(kCountBitsC, static_cast<std::uint32_t>(n));
    ForEachLengthSymbol(n, [this](int t, int bits, std::uint32_t value) {
        PutT(t);
        if (bits > 0) out_.Put(bits, value);
    });
}

void Encoder::SendBlock() {
    const int root = huffman_.Build(kNC, cFreq_, cLen_, cCode_);
    const std::uint32_t symbols = huffman_.RootCount();
    out_.Put(16, symbols);
    if (root >= kNC) {
        CountCodeLengthSymbols();
        const int tRoot = huffman_.Build(kNT, tFreq_, tLen_, tCode_);
        if (tRoot >= kNT) {
            WriteSmallTable(kNT, tLen_, kCountBitsT, kZeroRunAfter);
        } else {
            out_.Put(kCountBitsT, 0);
            out_.Put(kCountBitsT, static_cast<std::uint32_t>(tRoot));
        }
        WriteLiteralLengths();
    } else {
        out_.Put(kCountBitsT, 0);
        out_.Put(kCountBitsT, 0);
        out_.Put(kCountBitsC, 0);
        out_.Put(kCountBitsC, static_cast<std::uint32_t>(root));
    }
    const int pRoot = huffman_.Build(kNP, pFreq_, pLen_, pCode_);
    if (pRoot >= kNP) {
        WriteSmallTable(kNP, pLen_, kCountBitsP, -1);
    } else {
        out_.Put(kCountBitsP, 0);
        out_.Put(kCountBitsP, static_cast<std::uint32_t>(pRoot));
    }

    int at = 0;
    unsigned flags = 0;
    for (std::uint32_t i = 0; i < symbols; ++i) {
        if (i % 8 == 0) {
            flags = block_[at++];
        } else {
            flags <<= 1;
        }
        if (flags & 0x80) {
            PutC(block_[at] + 256);
            const unsigned position = static_cast<unsigned>(block_[at + 1]) << 8 | block_[at + 2];
            at += 3;
            const int p = PositionSymbol(position);
            out_.Put(pLen_[p], pCode_[p]);
            if (p > 1) out_.Put(p - 1, position & ((1u << (p - 1)) - 1));
        } else {
            PutC(block_[at++]);
        }
    }
    for (auto& f : cFreq_) f = 0;
    for (auto& f : pFreq_) f = 0;
}

}  // namespace

namespace lh5 {

SearchReport CompressWith(Stream& source, Stream& target, const SearchShape& shape) {
    const std::uint64_t length = source.Remaining();
    if (length > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        throw EStorageError("Stream too large to compress");
    }
    target.WriteValue<std::int32_t>(static_cast<std::int32_t>(length));
    auto encoder =
        std::make_unique<Encoder>(source, target, static_cast<std::int64_t>(length), shape);
    encoder->Run();
    return encoder->Report();
}

}  // namespace lh5

void Compress(Stream& source, Stream& target) {
    lh5::CompressWith(source, target, lh5::SearchShape::Default());
}

}  // namespace pomix
