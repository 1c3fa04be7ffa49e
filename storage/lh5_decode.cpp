// The lh5 decoder. Damaged input is met with ECorruptFile("Compressed file is corrupt")
// wherever it could make the decoder overrun a table or spin; a stream that merely ends early
// decodes on with zero bits, as the format wants.
#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/lh5_format.h"

namespace pomix {
namespace {

using namespace lh5;

[[noreturn]] void Corrupt() {
    throw ECorruptFile("Compressed file is corrupt");
}

// Reads the bit stream most significant bit first, from bytes in memory, through a 64-bit
// look-ahead. Past the end of the bytes it supplies zero bits and counts them, so that a
// decoder can tell a stream that has nothing left from one that is merely between blocks.
// A small value: the decoding loop works on a copy of its own, which stays in registers.
class BitReader {
public:
    // What Refill leaves loaded: a literal/length code, a position code and the position's
    // extra bits (16 + 16 + 12) together.
    static constexpr int kLoaded = 56;

    BitReader(const std::uint8_t* begin, const std::uint8_t* end) : at_(begin), end_(end) {
        Refill();
    }

    // The next n bits (1 to 32) without consuming them.
    std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(acc_ >> (64 - n)); }
    std::uint64_t Window() const { return acc_; }
    // Consumes n of the loaded bits without loading more.
    void Drop(int n) {
        acc_ <<= n;
        count_ -= n;
    }
    // The next n bits (1 to 32, no more than are loaded), consumed without loading more.
    std::uint32_t Take(int n) {
        const std::uint32_t v = Peek(n);
        Drop(n);
        return v;
    }
    void Skip(int n) {
        Drop(n);
        Refill();
    }
    std::uint32_t Get(int n) {
        if (n == 0) return 0;
        const std::uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    void Refill() {
        if (count_ >= kLoaded) return;
        if (end_ - at_ >= 8) {
            std::uint64_t word;
            std::memcpy(&word, at_, 8);
            if constexpr (std::endian::native == std::endian::little)
                word = __builtin_bswap64(word);
            acc_ |= word >> count_;
            at_ += (63 - count_) >> 3;  // whole bytes only: count_ ends between 56 and 63
            count_ |= 56;
            return;
        }
        RefillTail();
    }
    // True when every bit of the source has been consumed.
    bool Exhausted() const { return static_cast<std::uint64_t>(count_) <= padBits_; }
    // Where the bytes loaded so far end.
    const std::uint8_t* Loaded() const { return at_; }

private:
    void RefillTail() {
        while (count_ < kLoaded) {
            std::uint64_t byte = 0;
            if (at_ < end_) {
                byte = *at_++;
            } else {
                padBits_ += 8;
            }
            acc_ |= byte << (56 - count_);
            count_ += 8;
        }
    }

    std::uint64_t acc_ = 0;
    int count_ = 0;
    const std::uint8_t* at_;
    const std::uint8_t* end_;
    std::uint64_t padBits_ = 0;
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

    // Decodes one symbol at the front of the look-ahead and consumes its bits, which must be
    // loaded (up to 16).
    [[gnu::always_inline]] int Decode(BitReader& in) const {
        const std::uint16_t e = entry_[in.Peek(kTableBits)];
        if (e != kLong) [[likely]] {
            in.Drop(e >> 11);
            return e & 0x7FF;
        }
        return DecodeLong(in);
    }

    // Entries store the symbol in the low 11 bits and the length above.
    static std::uint16_t Pack(int symbol, int length) {
        return static_cast<std::uint16_t>(length << 11 | symbol);
    }
    static constexpr std::uint16_t kLong = 0xFFFF;

private:
    int DecodeLong(BitReader& in) const {
        const std::uint64_t window = in.Window();
        for (int l = kTableBits + 1; l <= kMaxCodeBits; ++l) {
            const auto c = static_cast<std::uint32_t>(window >> (64 - l));
            if (c < limit_[l]) {
                in.Drop(l);
                return sorted_[base_[l] + static_cast<int>(c - first_[l])];
            }
        }
        Corrupt();  // unreachable for a complete code
    }

    std::uint16_t entry_[1 << kTableBits] = {};
    std::uint32_t first_[kMaxCodeBits + 1] = {};
    std::uint32_t limit_[kMaxCodeBits + 1] = {};
    int base_[kMaxCodeBits + 1] = {};
    std::uint16_t sorted_[kSymbols] = {};
};

// Decodes into a buffer that holds the last window of output before the bytes being made,
// so that no match reaches outside it: the window starts as zeros, as the format wants, and
// after each piece of output the last window moves back to the front.
class Decoder {
public:
    Decoder(const std::uint8_t* begin, const std::uint8_t* end, Stream& target)
        : in_(begin, end), target_(target) {}

    void Run(std::int64_t length, std::span<const std::uint8_t> expectedPrefix);
    const std::uint8_t* Loaded() const { return in_.Loaded(); }

private:
    // Output is written in pieces of this size.
    static constexpr std::size_t kPiece = 64 * 1024;
    // A match started before a piece's end runs past it by less than a match, and a copy by
    // 16-byte steps by less than one step more.
    static constexpr std::size_t kSlack = kMaxMatch + 16;

    std::uint8_t* DecodeSymbols(std::uint8_t* pos, const std::uint8_t* end);
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
    std::uint32_t blockLeft_ = 0;
    std::uint8_t cLen_[kNC] = {};
    std::uint8_t ptLen_[kNT] = {};
    DecodeTable<kNC, 12> cTable_;
    DecodeTable<kNT, 8> tTable_;
    DecodeTable<kNP, 8> pTable_;
    std::uint8_t buffer_[kDicSize + kPiece + kSlack] = {};
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
        in_.Refill();
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

// Copies n bytes from distance bytes back to to, one after the other as the format wants: a
// source that overlaps the bytes being written repeats them. May write up to 15 bytes past
// the match, which the bytes after it then overwrite.
[[gnu::always_inline]] inline void CopyMatch(std::uint8_t* to, std::uint32_t distance,
                                             std::uint32_t n) {
    const std::uint8_t* from = to - distance;
    if (distance >= 16) {
        // Each step reads only bytes written before it.
        for (std::uint32_t i = 0; i < n; i += 16) std::memcpy(to + i, from + i, 16);
    } else if (distance >= 8) {
        for (std::uint32_t i = 0; i < n; i += 8) std::memcpy(to + i, from + i, 8);
    } else if (distance == 1) {
        std::memset(to, *from, n);
    } else {
        for (std::uint32_t i = 0; i < n; ++i) to[i] = from[i];
    }
}

// Decodes the block's symbols from pos on until the block ends or pos reaches end (the last
// match may run past it); returns where the output then ends.
std::uint8_t* Decoder::DecodeSymbols(std::uint8_t* pos, const std::uint8_t* end) {
    BitReader in = in_;
    std::uint32_t left = blockLeft_;
    while (left > 0 && pos < end) {
        --left;
        in.Refill();
        int c = cTable_.Decode(in);
        if (c < 256) {
            *pos++ = static_cast<std::uint8_t>(c);
            if (left == 0 || pos >= end) break;
            // The next code is still loaded (56 - 16 bits); a match after it loads more.
            --left;
            c = cTable_.Decode(in);
            if (c < 256) {
                *pos++ = static_cast<std::uint8_t>(c);
                continue;
            }
            in.Refill();
        }
        const auto length = static_cast<std::uint32_t>(c - (256 - kMinMatch));
        const int p = pTable_.Decode(in);
        const std::uint32_t distance =
            (p < 2 ? static_cast<std::uint32_t>(p) : (1u << (p - 1)) + in.Take(p - 1)) + 1;
        CopyMatch(pos, distance, length);
        pos += length;
    }
    in.Refill();
    in_ = in;
    blockLeft_ = left;
    return pos;
}

void Decoder::Run(std::int64_t length, std::span<const std::uint8_t> expectedPrefix) {
    std::uint8_t* const start = buffer_ + kDicSize;
    std::uint8_t* pos = start;
    std::uint64_t produced = 0;
    while (length > 0) {
        std::size_t piece = static_cast<std::size_t>(std::min<std::int64_t>(kPiece, length));
        // The expected prefix is checked as soon as it has been decoded.
        if (produced < expectedPrefix.size())
            piece = std::min<std::size_t>(piece, expectedPrefix.size() - produced);
        const std::uint8_t* const end = start + piece;
        while (pos < end) {
            if (blockLeft_ == 0) {
                ReadBlockHeader();
                continue;
            }
            pos = DecodeSymbols(pos, end);
        }
        if (produced < expectedPrefix.size() &&
            std::memcmp(start, expectedPrefix.data() + produced, piece) != 0) {
            Corrupt();
        }
        target_.Write(start, piece);
        produced += piece;
        length -= static_cast<std::int64_t>(piece);
        // The last window moves to the front, with what a match wrote past the piece.
        const auto past = static_cast<std::size_t>(pos - end);
        std::memmove(buffer_, end - kDicSize, kDicSize + past);
        pos = start + past;
    }
}

}  // namespace

void Decompress(Stream& source, Stream& target, std::span<const std::uint8_t> expectedPrefix) {
    const auto length = source.ReadValue<std::int32_t>();
    // Output shorter than the expected prefix cannot begin with it.
    if (std::max<std::int32_t>(length, 0) < static_cast<std::int64_t>(expectedPrefix.size()))
        Corrupt();
    if (length <= 0) return;
    // The bit stream is read from memory: a memory stream's own bytes, else a copy of the rest.
    Bytes copy;
    const std::uint8_t* begin;
    const std::uint8_t* end;
    auto* memory = dynamic_cast<MemoryStream*>(&source);
    const std::uint64_t from = source.Position();
    if (memory) {
        const Bytes& data = memory->Data();
        begin = data.data() + std::min<std::uint64_t>(from, data.size());
        end = data.data() + data.size();
    } else {
        copy.resize(static_cast<std::size_t>(source.Remaining()));
        source.ReadBuffer(copy.data(), copy.size());
        begin = copy.data();
        end = begin + copy.size();
    }
    try {
        auto decoder = std::make_unique<Decoder>(begin, end, target);
        decoder->Run(length, expectedPrefix);
        if (memory) memory->Seek(from + static_cast<std::uint64_t>(decoder->Loaded() - begin));
    } catch (const std::bad_alloc&) {
        // A target that cannot hold the claimed length: only a damaged length claims that much.
        Corrupt();
    }
}

}  // namespace pomix
