#include "storage/blowfish.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace pomix {
namespace {

#include "storage/blowfish_tables.inc"

constexpr int kRounds = 16;

class Blowfish {
public:
    // The key bytes are taken cyclically, keyLength of them, 1 to 255.
    Blowfish(const std::string& key, std::size_t keyLength) {
        std::copy(std::begin(kInitialP), std::end(kInitialP), p_.begin());
        for (int box = 0; box < 4; ++box) {
            std::copy(std::begin(kInitialS[box]), std::end(kInitialS[box]), s_[box].begin());
        }
        std::size_t at = 0;
        for (std::uint32_t& word : p_) {
            std::uint32_t mix = 0;
            for (int i = 0; i < 4; ++i) {
                mix = (mix << 8) | static_cast<std::uint8_t>(key[at]);
                at = (at + 1) % keyLength;
            }
            word ^= mix;
        }
        std::uint32_t left = 0, right = 0;
        for (std::size_t i = 0; i < p_.size(); i += 2) {
            EncryptBlock(left, right);
            p_[i] = left;
            p_[i + 1] = right;
        }
        for (auto& box : s_) {
            for (std::size_t i = 0; i < box.size(); i += 2) {
                EncryptBlock(left, right);
                box[i] = left;
                box[i + 1] = right;
            }
        }
    }

    bool Weak() const {
        for (const auto& box : s_) {
            auto sorted = box;
            std::sort(sorted.begin(), sorted.end());
            if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return true;
        }
        return false;
    }

    void EncryptBlock(std::uint32_t& left, std::uint32_t& right) const {
        for (int i = 0; i < kRounds; ++i) {
            left ^= p_[i];
            right ^= F(left);
            std::swap(left, right);
        }
        std::swap(left, right);
        right ^= p_[kRounds];
        left ^= p_[kRounds + 1];
    }

    void DecryptBlock(std::uint32_t& left, std::uint32_t& right) const {
        for (int i = kRounds + 1; i > 1; --i) {
            left ^= p_[i];
            right ^= F(left);
            std::swap(left, right);
        }
        std::swap(left, right);
        right ^= p_[1];
        left ^= p_[0];
    }

    template <class BlockOp>
    void ForEachBlock(Bytes& buffer, std::size_t end, BlockOp op) const {
        for (std::size_t at = 0; at + 8 <= end; at += 8) {
            std::uint32_t left = Load(&buffer[at]), right = Load(&buffer[at + 4]);
            op(left, right);
            Store(&buffer[at], left);
            Store(&buffer[at + 4], right);
        }
    }

private:
    std::uint32_t F(std::uint32_t x) const {
        return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) +
               s_[3][x & 0xFF];
    }
    static std::uint32_t Load(const std::uint8_t* b) {
        return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    static void Store(std::uint8_t* b, std::uint32_t w) {
        for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(w >> (8 * i));
    }

    std::array<std::uint32_t, 18> p_;
    std::array<std::array<std::uint32_t, 256>, 4> s_;
};

// The schedule for key, or nothing for a weak key. The tables are 4 KB: kept off the stack.
std::unique_ptr<Blowfish> Schedule(const std::string& key) {
    const std::size_t keyLength = key.size() % 256;
    if (keyLength == 0) throw EKeyError();
    auto cipher = std::make_unique<Blowfish>(key, keyLength);
    if (cipher->Weak()) return nullptr;
    return cipher;
}

}  // namespace

void Encipher(Bytes& buffer, const std::string& key) {
    if (buffer.empty()) return;
    const auto cipher = Schedule(key);
    if (!cipher) return;
    const std::size_t fill = 8 - (buffer.size() + 1) % 8;
    buffer.insert(buffer.end(), fill, 0x01);
    buffer.push_back(static_cast<std::uint8_t>(fill));
    cipher->ForEachBlock(buffer, buffer.size(),
                         [&](std::uint32_t& l, std::uint32_t& r) { cipher->EncryptBlock(l, r); });
}

void Decipher(Bytes& buffer, const std::string& key) {
    if (buffer.empty()) return;
    const auto cipher = Schedule(key);
    if (!cipher) return;
    Bytes plain = buffer;
    cipher->ForEachBlock(plain, plain.size() - plain.size() % 8,
                         [&](std::uint32_t& l, std::uint32_t& r) { cipher->DecryptBlock(l, r); });
    const std::size_t drop = static_cast<std::size_t>(plain.back()) + 1;
    if (drop > plain.size()) throw ECorruptFile();
    plain.erase(plain.end() - static_cast<std::ptrdiff_t>(drop), plain.end());
    buffer.swap(plain);
}

}  // namespace pomix
