#include "storage/cp1251.h"

#include <array>
#include <cstdint>
#include <unordered_map>

namespace pomix {
namespace {

// Unicode of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order. 0x98 has no
// character in the code page: it maps to U+0098 so that every byte survives a round trip.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char32_t ToUnicode(unsigned char c) {
    if (c < 0x80) return c;
    if (c >= 0xC0) return 0x0410 + (c - 0xC0);
    return kHigh[c - 0x80];
}

const std::unordered_map<char32_t, unsigned char>& FromUnicode() {
    static const auto table = [] {
        std::unordered_map<char32_t, unsigned char> t;
        for (int c = 0x80; c < 0x100; ++c) t[ToUnicode(static_cast<unsigned char>(c))] = c;
        return t;
    }();
    return table;
}

void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Decodes one UTF-8 sequence at i; returns false for a malformed one (i then moves by one).
bool NextUtf8(const std::string& s, std::size_t& i, char32_t& u) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    int extra;
    char32_t min;
    if (c < 0x80) {
        u = c;
        ++i;
        return true;
    } else if ((c & 0xE0) == 0xC0) {
        extra = 1, u = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2, u = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3, u = c & 0x07, min = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + extra >= s.size()) {
        ++i;
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        u = (u << 6) | (b(i + k) & 0x3F);
    }
    if (u < min || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += extra + 1;
    return true;
}

// Upper- and lower-case partners of the Cyrillic letters outside the А..я block.
constexpr std::array<std::pair<unsigned char, unsigned char>, 15> kCasePairs = {{
    {0x80, 0x90},
    {0x81, 0x83},
    {0x8A, 0x9A},
    {0x8C, 0x9C},
    {0x8D, 0x9D},
    {0x8E, 0x9E},
    {0x8F, 0x9F},
    {0xA1, 0xA2},
    {0xA3, 0xBC},
    {0xA5, 0xB4},
    {0xA8, 0xB8},
    {0xAA, 0xBA},
    {0xAF, 0xBF},
    {0xB2, 0xB3},
    {0xBD, 0xBE},
}};

struct CaseTables {
    std::array<unsigned char, 256> upper, lower;
    CaseTables() {
        for (int c = 0; c < 256; ++c) upper[c] = lower[c] = static_cast<unsigned char>(c);
        for (int c = 'a'; c <= 'z'; ++c) {
            upper[c] = static_cast<unsigned char>(c - 32);
            lower[c - 32] = static_cast<unsigned char>(c);
        }
        for (int c = 0xE0; c <= 0xFF; ++c) {
            upper[c] = static_cast<unsigned char>(c - 32);
            lower[c - 32] = static_cast<unsigned char>(c);
        }
        for (auto [up, low] : kCasePairs) {
            upper[low] = up;
            lower[up] = low;
        }
    }
};

const CaseTables& Cases() {
    static const CaseTables tables;
    return tables;
}

}  // namespace

std::string Cp1251ToUtf8(const std::string& cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (unsigned char c : cp1251) AppendUtf8(out, ToUnicode(c));
    return out;
}

std::string Utf8ToCp1251(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto& table = FromUnicode();
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t u;
        if (!NextUtf8(utf8, i, u)) {
            out += '?';
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else {
            const auto it = table.find(u);
            out += it == table.end() ? '?' : static_cast<char>(it->second);
        }
    }
    return out;
}

unsigned char UpperCp1251(unsigned char c) {
    return Cases().upper[c];
}
unsigned char LowerCp1251(unsigned char c) {
    return Cases().lower[c];
}

std::string UpperCase(const std::string& cp1251) {
    std::string out = cp1251;
    for (char& c : out) c = static_cast<char>(UpperCp1251(static_cast<unsigned char>(c)));
    return out;
}

std::string LowerCase(const std::string& cp1251) {
    std::string out = cp1251;
    for (char& c : out) c = static_cast<char>(LowerCp1251(static_cast<unsigned char>(c)));
    return out;
}

bool LooksLikeUtf8(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return true;
    bool nonAscii = false;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t u;
        if (!NextUtf8(bytes, i, u)) return false;
        nonAscii = nonAscii || u >= 0x80;
    }
    return nonAscii;
}

std::string TextFileToCp1251(const std::string& bytes) {
    if (!LooksLikeUtf8(bytes)) return bytes;
    const bool bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    return Utf8ToCp1251(bom ? bytes.substr(3) : bytes);
}

}  // namespace pomix
