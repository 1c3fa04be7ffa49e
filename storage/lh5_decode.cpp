// The lh5 decoder. Damaged input is met with ECorruptFile("Compressed file is corrupt")
// wherever it could make the decoder overrun a table or spin; a stream that merely ends early
// decodes on with zero bits, as the format wants.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/lh5_format.h"

namespace pomix {
namespace {

using namespace lh5;

[[noreturn]] void Corrupt() {
    throw ECorruptFile("Compressed file is corrupt");
}

// Reads the bit stream most significant bit first through a 64-bit look-ahead. Past the end
// of the source it supplies zero bits and counts them, so that a decoder can tell a stream
// that has nothing left from one that is merely between blocks.
class BitReader {
public:
    explicit BitReader(Stream& source) : source_(source) { Refill(); }

    // The next n bits (1 to 32) without consuming them; at least 56 bits are always loaded.
    std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(acc_ >> (64 - n)); }
    std::uint64_t Window() const { return acc_; }
    void Skip(int n) {
        acc_ <<= n;
        count_ -= n;
        if (count_ < 56) Refill();
    }
    std::uint32_t Get(int n) {
        if (n == 0) return 0;
        const std::uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    // True when every bit of the source has been consumed.
    bool Exhausted() const { return atEnd_ && static_cast<std::uint64_t>(count_) <= padBits_; }

private:
    void Refill() {
        while (count_ < 56) {
            if (at_ + 8 <= size_) {
                std::uint64_t word = 0;
                for (int i = 0; i < 8; ++i) word = word << 8 | buffer_[at_ + i];
                acc_ |= word >> count_;
                const int bytes = (63 - count_) >> 3;
                at_ += bytes;
                count_ += bytes * 8;
                continue;
            }
            if (at_ == size_ && !atEnd_) {
                size_ = source_.Read(buffer_, sizeof buffer_);
                at_ = 0;
                if (size_ == 0) atEnd_ = true;
                continue;
            }
            std::uint64_t byte = 0;
            if (at_ < size_) {
                byte = buffer_[at_++];
            } else {
                padBits_ += 8;
            }
            acc_ |= byte << (56 - count_);
            count_ += 8;
        }
    }

    Stream& source_;
    std::uint64_t acc_ = 0;
    int count_ = 0;
    std::uint64_t padBits_ = 0;
    bool atEnd_ = false;
    std::size_t at_ = 0, size_ = 0;
    std::uint8_t buffer_[8192];
};

// A decoding table for a canonical code: the first tableBits bits of the look-ahead give the
// symbol and its length directly; longer codes are found from the first code of each length.
// Only complete codes are accepted, so every bit pattern decodes to a symbol.
template <int kSymbols, int kTableBits>
class DecodeTable {
public:
    // A code whose every symbol is the one given, taking no bits.
    void SetSingle(int symbol) { std::fill(std::begin(entry_), std::end(entry_), Pack(symbol, 0)); }

    void Build(const std::uint8_t* lengths) {
        int count[kMaxCodeBits + 1] = {};
        for (int i = 0; i < kSymbols; ++i) count[lengths[i]]++;
        std::uint32_t kraft = 0;
        for (int l = 1; l <= kMaxCodeBits; ++l)
            kraft += static_cast<std::uint32_t>(count[l]) << (kMaxCodeBits - l);
        if (kraft == 0) {  // all lengths 0: every symbol decodes as 0
            SetSingle(0);
            return;
        }
        if (kraft != (1u << kMaxCodeBits)) Corrupt();

        std::uint32_t code = 0;
        int offset = 0;
        int offsets[kMaxCodeBits + 2] = {};
        for (int l = 1; l <= kMaxCodeBits; ++l) {
            first_[l] = code;
            limit_[l] = code + static_cast<std::uint32_t>(count[l]);
            offsets[l] = offset;
            base_[l] = offset;
            offset += count[l];
            code = (code + static_cast<std::uint32_t>(count[l])) << 1;
        }
        for (int i = 0; i < kSymbols; ++i) {
            const int l = lengths[i];
            if (l == 0) continue;
            const std::uint32_t c = first_[l] + static_cast<std::uint32_t>(offsets[l] - base_[l]);
            sorted_[offsets[l]++] = static_cast<std::uint16_t>(i);
            if (l <= kTableBits) {
                const std::uint32_t from = c << (kTableBits - l), to = (c + 1) << (kTableBits - l);
                for (std::uint32_t e = from; e < to; ++e) entry_[e] = Pack(i, l);
            } else {
                entry_[c >> (l - kTableBits)] = kLong;
            }
        }
    }

    // Decodes one symbol at the front of the look-ahead and consumes its bits.
    int Decode(BitReader& in) const {
        const std::uint16_t e = entry_[in.Peek(kTableBits)];
        if (e != kLong) {
            in.Skip(e >> 11);
            return e & 0x7FF;
        }
        const std::uint64_t window = in.Window();
        for (int l = kTableBits + 1; l <= kMaxCodeBits; ++l) {
            const auto c = static_cast<std::uint32_t>(window >> (64 - l));
            if (c < limit_[l]) {
                in.Skip(l);
                return sorted_[base_[l] + static_cast<int>(c - first_[l])];
            }
        }
        Corrupt();  // unreachable for a complete code
    }

    // Entries store the symbol in the low 11 bits and the length above.
    static std::uint16_t Pack(int symbol, int length) {
        return static_cast<std::uint16_t>(length << 11 | symbol);
    }
    std::uint16_t Entry(std::uint32_t bits) const { return entry_[bits]; }
    static constexpr std::uint16_t kLong = 0xFFFF;

private:
    std::uint16_t entry_[1 << kTableBits] = {};
    std::uint32_t first_[kMaxCodeBits + 1] = {};
    std::uint32_t limit_[kMaxCodeBits + 1] = {};
    int base_[kMaxCodeBits + 1] = {};
    std::uint16_t sorted_[kSymbols] = {};
};

class Decoder {
public:
    Decoder(Stream& source, Stream& target) : in_(source), target_(target) {}

    void Run(std::int64_t length, std::span<const std::uint8_t> expectedPrefix);

private:
    void Produce(std::uint32_t pos, std::uint32_t end);
    void CopyMatch(std::uint32_t pos, std::uint32_t n);
    void ReadBlockHeader();
    void ReadSmallTable(int symbols, int countBits, int zeroRunAfter, std::uint8_t* lengths);
    void ReadLiteralLengths();
    int ReadSingle(int countBits, int symbols) {
        const int s = static_cast<int>(in_.Get(countBits));
        if (s >= symbols) Corrupt();
        return s;
    }

    BitReader in_;
    Stream& target_;
    std::uint8_t window_[kDicSize] = {};
    std::uint32_t blockLeft_ = 0;
    int matchLeft_ = 0;
    std::uint32_t matchFrom_ = 0;
    std::uint8_t cLen_[kNC] = {};
    std::uint8_t ptLen_[kNT] = {};
    DecodeTable<kNC, 12> cTable_;
    DecodeTable<kNT, 8> tTable_;
    DecodeTable<kNP, 8> pTable_;
};

void Decoder::ReadSmallTable(int symbols, int countBits, int zeroRunAfter, std::uint8_t* lengths) {
    const int n = static_cast<int>(in_.Get(countBits));
    if (n > symbols) Corrupt();
    std::fill(lengths, lengths + symbols, 0);
    int i = 0;
    while (i < n) {
        int l = static_cast<int>(in_.Get(3));
        if (l == 7) {
            while (in_.Get(1) == 1) {
                if (++l > kMaxCodeBits) Corrupt();
            }
        }
        lengths[i++] = static_cast<std::uint8_t>(l);
        if (i == zeroRunAfter) i += static_cast<int>(in_.Get(2));  // those lengths stay 0
    }
}

void Decoder::ReadLiteralLengths() {
    const int n = static_cast<int>(in_.Get(kCountBitsC));
    if (n > kNC) Corrupt();
    std::fill(cLen_, cLen_ + kNC, 0);
    int i = 0;
    while (i < n) {
        const int t = tTable_.Decode(in_);
        if (t > 2) {
            cLen_[i++] = static_cast<std::uint8_t>(t - 2);
            continue;
        }
        int run = 1;
        if (t == 1) {
            run = static_cast<int>(in_.Get(4)) + 3;
        } else if (t == 2) {
            run = static_cast<int>(in_.Get(9)) + 20;
        }
        if (i + run > kNC) Corrupt();
        i += run;
    }
}

void Decoder::ReadBlockHeader() {
    blockLeft_ = in_.Get(16);
    if (blockLeft_ == 0 && in_.Exhausted()) Corrupt();  // output is owed but nothing is left
    if (in_.Peek(kCountBitsT) == 0) {
        in_.Skip(kCountBitsT);
        tTable_.SetSingle(ReadSingle(kCountBitsT, kNT));
    } else {
        ReadSmallTable(kNT, kCountBitsT, kZeroRunAfter, ptLen_);
        tTable_.Build(ptLen_);
    }
    if (in_.Peek(kCountBitsC) == 0) {
        in_.Skip(kCountBitsC);
        cTable_.SetSingle(ReadSingle(kCountBitsC, kNC));
    } else {
        ReadLiteralLengths();
        cTable_.Build(cLen_);
    }
    if (in_.Peek(kCountBitsP) == 0) {
        in_.Skip(kCountBitsP);
        pTable_.SetSingle(ReadSingle(kCountBitsP, kNP));
    } else {
        ReadSmallTable(kNP, kCountBitsP, -1, ptLen_);
        pTable_.Build(ptLen_);
    }
}

// Fills the window from offset pos up to end, carrying a match and the block over from one
// call to the next.
void Decoder::Produce(std::uint32_t pos, std::uint32_t end) {
    while (pos < end) {
        if (matchLeft_ > 0) {
            const std::uint32_t n =
                std::min<std::uint32_t>(static_cast<std::uint32_t>(matchLeft_), end - pos);
            CopyMatch(pos, n);
            pos += n;
            continue;
        }
        while (blockLeft_ == 0) ReadBlockHeader();
        --blockLeft_;
        const int c = cTable_.Decode(in_);
        if (c < 256) {
            window_[pos++] = static_cast<std::uint8_t>(c);
            continue;
        }
        const int p = pTable_.Decode(in_);
        const std::uint32_t v =
            p < 2 ? static_cast<std::uint32_t>(p) : (1u << (p - 1)) + in_.Get(p - 1);
        matchLeft_ = c - (256 - kMinMatch);
        matchFrom_ = (pos - v - 1) & kDicMask;
    }
}

void Decoder::CopyMatch(std::uint32_t pos, std::uint32_t n) {
    std::uint32_t from = matchFrom_;
    matchLeft_ -= static_cast<int>(n);
    matchFrom_ = (from + n) & kDicMask;
    if (from + n <= kDicSize && (pos <= from || pos >= from + n)) {
        std::memmove(window_ + pos, window_ + from, n);
        return;
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        window_[pos + i] = window_[from];
        from = (from + 1) & kDicMask;
    }
}

void Decoder::Run(std::int64_t length, std::span<const std::uint8_t> expectedPrefix) {
    std::uint32_t fill = 0;
    std::uint64_t produced = 0;
    std::int64_t left = length;
    while (left > 0) {
        std::uint32_t end =
            fill + static_cast<std::uint32_t>(std::min<std::int64_t>(kDicSize - fill, left));
        if (produced < expectedPrefix.size()) {
            end = std::min<std::uint32_t>(end,
                                          fill + static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                                     expectedPrefix.size() - produced, kDicSize)));
        }
        Produce(fill, end);
        const std::uint32_t n = end - fill;
        if (produced < expectedPrefix.size() &&
            std::memcmp(window_ + fill, expectedPrefix.data() + produced, n) != 0) {
            Corrupt();
        }
        produced += n;
        left -= n;
        fill = end;
        if (fill == kDicSize || left == 0) {
            target_.Write(window_, fill);
            fill = 0;
        }
    }
}

}  // namespace

void Decompress(Stream& source, Stream& target, std::span<const std::uint8_t> expectedPrefix) {
    const auto length = source.ReadValue<std::int32_t>();
    if (length <= 0) {
        if (!expectedPrefix.empty()) throw ECorruptFile("Compressed file is corrupt");
        return;
    }
    if (static_cast<std::size_t>(length) < expectedPrefix.size()) {
        throw ECorruptFile("Compressed file is corrupt");
    }
    auto decoder = std::make_unique<Decoder>(source, target);
    decoder->Run(length, expectedPrefix);
}

}  // namespace pomix
