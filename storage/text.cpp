#include "storage/text.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <type_traits>

#include "storage/cp1251.h"

namespace pomix {
namespace {

// Blanks and control characters, which Trim removes.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

// In place, so that a text built for trimming (ShortName's) is not copied once more.
template <class Outer>
void CutOuter(std::string& text, Outer outer) {
    while (!text.empty() && outer(text.back())) text.pop_back();
    std::size_t begin = 0;
    while (begin < text.size() && outer(text[begin])) ++begin;
    text.erase(0, begin);
}

}  // namespace

namespace {

// How a text's characters are compared with the pattern's: as they are, or upper-cased
// (the pattern then being upper-cased already). Folding while comparing spares a search the
// copy of every field it looks at.
struct SameCase {
    char operator()(char c) const { return c; }
};
struct UpperCased {
    const std::array<char, 256>& upper;
    char operator()(char c) const { return upper[static_cast<unsigned char>(c)]; }
};

const std::array<char, 256>& UpperTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> upper{};
        for (int c = 0; c < 256; ++c) upper[c] = static_cast<char>(UpperCp1251(static_cast<unsigned char>(c)));
        return upper;
    }();
    return table;
}

template <class Fold>
bool SameOrAny(char textChar, char patternChar, Fold fold) {
    return patternChar == '?' || fold(textChar) == patternChar;
}

// The segment (free of stars) at the end of text, aligned right; "?" matches anything.
template <class Fold>
bool MatchesEnd(std::string_view text, std::string_view segment, Fold fold) {
    if (segment.size() > text.size()) return false;
    const std::size_t offset = text.size() - segment.size();
    for (std::size_t i = segment.size(); i-- > 0;) {
        if (!SameOrAny(text[offset + i], segment[i], fold)) return false;
    }
    return true;
}

// First place at or after from where segment occurs in text, "?" matching anything.
template <class Fold>
std::size_t FindSegment(std::string_view text, std::string_view segment, std::size_t from, Fold fold) {
    if constexpr (std::is_same_v<Fold, SameCase>) {
        if (segment.find('?') == std::string_view::npos) return text.find(segment, from);
    }
    for (std::size_t at = from; at + segment.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < segment.size() && SameOrAny(text[at + i], segment[i], fold)) ++i;
        if (i == segment.size()) return at;
    }
    return std::string_view::npos;
}

// The match itself, the pattern free of doubled stars and in the case fold brings the text to.
template <class Fold>
bool MatchPrepared(std::string_view s, std::string_view pattern, Fold fold) {
    if (pattern.empty() || s.empty()) return false;
    std::size_t p = 0, t = 0;
    while (p < pattern.size() && t < s.size()) {
        if (SameOrAny(s[t], pattern[p], fold)) {
            ++p;
            ++t;
        } else if (pattern[p] == '*') {
            const std::size_t nextStar = pattern.find('*', p + 1);
            const std::string_view segment = pattern.substr(p + 1, nextStar - (p + 1));
            if (nextStar == std::string_view::npos) return segment.empty() || MatchesEnd(s, segment, fold);
            const std::size_t found = FindSegment(s, segment, t, fold);
            if (found == std::string_view::npos) return false;
            t = found + segment.size();
            p = nextStar;
        } else {
            return false;
        }
    }
    if (t < s.size()) return false;
    return p >= pattern.size() || pattern.back() == '*';
}

// Collation weights for CompareNoCase. Primary: control characters, then punctuation and
// symbols (by code), digits, Latin letters, Cyrillic letters in alphabetical order, case folded
// and Ё counted as Е. Secondary: only Ё differs from Е, sorting after it.
struct Collation {
    std::array<std::uint16_t, 256> primary{};
    std::array<std::uint8_t, 256> secondary{};

    Collation() {
        std::uint16_t next = 1;
        auto assign = [&](unsigned char c) {
            primary[c] = next;
            primary[LowerCp1251(c)] = next;
            ++next;
        };
        auto isLetterOrDigit = [](int c) {
            const int u = UpperCp1251(static_cast<unsigned char>(c));
            return (c >= '0' && c <= '9') || u != LowerCp1251(static_cast<unsigned char>(c));
        };
        for (int c = 0; c < 256; ++c) {
            if (!isLetterOrDigit(c)) primary[c] = next++;
        }
        for (int c = '0'; c <= '9'; ++c) primary[c] = next++;
        for (int c = 'A'; c <= 'Z'; ++c) assign(static_cast<unsigned char>(c));
        // The Cyrillic capitals in alphabetical order, letters of other Slavic alphabets
        // beside their nearest Russian neighbour.
        static const unsigned char kCyrillic[] = {
            0xC0, 0xC1, 0xC2, 0xC3, 0xA5, 0x81, 0xC4, 0x80, 0xC5, 0xAA, 0xC6, 0xC7,
            0xBD, 0xC8, 0xB2, 0xAF, 0xC9, 0xA3, 0xCA, 0x8D, 0xCB, 0x8A, 0xCC, 0xCD,
            0x8C, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0x8E, 0xD3, 0xA1, 0xD4, 0xD5, 0xD6,
            0xD7, 0x8F, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
        };
        for (unsigned char c : kCyrillic) assign(c);
        primary[0xA8] = primary[0xB8] = primary[0xC5];  // Ё, ё with Е
        secondary[0xA8] = secondary[0xB8] = 1;
        // Sort keys hold one byte per weight.
        if (next > 256) std::abort();
    }
};

const Collation& Weights() {
    static const Collation collation;
    return collation;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

WildPattern::WildPattern(std::string pattern, bool ignoreCase)
    : raw_(std::move(pattern)), pattern_(raw_), ignoreCase_(ignoreCase) {
    for (std::size_t at; (at = pattern_.find("**")) != std::string::npos;) pattern_.erase(at, 1);
    if (ignoreCase_) pattern_ = UpperCase(pattern_);
}

bool WildPattern::Matches(const std::string& text) const {
    if (text == raw_) return true;
    if (pattern_ == "*") return true;
    if (!ignoreCase_) return MatchPrepared(text, pattern_, SameCase{});
    return MatchPrepared(text, pattern_, UpperCased{UpperTable()});
}

bool WildMatch(const std::string& text, const std::string& pattern, bool ignoreCase) {
    return WildPattern(pattern, ignoreCase).Matches(text);
}

bool LinesMatch(const std::vector<std::string>& lines, const std::string& pattern) {
    const WildPattern match(pattern, true);
    return std::any_of(lines.begin(), lines.end(), [&match](const std::string& line) { return match.Matches(line); });
}

std::string ShortName(const std::string& surname, const std::string& name,
                      const std::string& patronymic) {
    // Built in one string: the address book makes one for every contact it lists.
    std::string result;
    result.reserve(surname.size() + 7);
    result += surname;
    result += ' ';
    for (const std::string* part : {&name, &patronymic}) {
        if (part->size() <= 1) continue;
        result += part->front();
        result += ". ";
    }
    CutOuter(result, IsBlank);
    return result;
}

int CompareNoCase(const std::string& a, const std::string& b) {
    const Collation& w = Weights();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (w.primary[x] != w.primary[y]) return Sign(w.primary[x] - w.primary[y]);
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (w.secondary[x] != w.secondary[y]) return Sign(w.secondary[x] - w.secondary[y]);
    }
    return 0;
}

// Primary weights are between 1 and 255, so a text whose weights are a prefix of another's
// has the smaller head (its missing weights count as 0), as CompareNoCase puts the shorter
// text first.
SortHead SortHeadNoCase(const std::string& text) {
    const Collation& w = Weights();
    std::uint64_t part[2] = {0, 0};
    for (std::size_t i = 0; i < 16; ++i) {
        const std::uint64_t weight = i < text.size() ? w.primary[static_cast<unsigned char>(text[i])] : 0;
        part[i / 8] = part[i / 8] << 8 | weight;
    }
    return {part[0], part[1]};
}

bool SortHeadIsWhole(const std::string& text) {
    if (text.size() > 16) return false;
    const Collation& w = Weights();
    return std::none_of(text.begin(), text.end(),
                        [&w](char c) { return w.secondary[static_cast<unsigned char>(c)] != 0; });
}

std::string DeleteBlanks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ') out += c;
    }
    return out;
}

std::string RepeatChar(char c, int count) {
    return count > 0 ? std::string(static_cast<std::size_t>(count), c) : std::string();
}

std::string Trim(const std::string& text) {
    std::string out = text;
    CutOuter(out, IsBlank);
    return out;
}

std::string TrimBlanks(const std::string& text) {
    std::string out = text;
    CutOuter(out, IsSpaceOrTab);
    return out;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

namespace {

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < ' ' || byte == 0x7F;
    });
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size() ||
            std::tolower(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(prefix[i])) {
            return false;
        }
    }
    return true;
}

// The length of a leading "scheme:" (letter, then letters, digits, "+", "-", "."), 0 when
// there is none. "host:8080" is a host with its port, not a scheme.
std::size_t SchemeLength(const std::string& text) {
    const auto isAsciiLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (text.empty() || !isAsciiLetter(text[0])) return 0;
    std::size_t i = 1;
    while (i < text.size() && (isAsciiLetter(text[i]) || (text[i] >= '0' && text[i] <= '9') ||
                               text[i] == '+' || text[i] == '-' || text[i] == '.')) {
        ++i;
    }
    if (i >= text.size() || text[i] != ':') return 0;
    std::size_t port = i + 1;
    while (port < text.size() && text[port] >= '0' && text[port] <= '9') ++port;
    if (port > i + 1 && (port == text.size() || text[port] == '/')) return 0;
    return i + 1;
}

}  // namespace

std::string MailTarget(const std::string& address) {
    std::string text = Trim(address);
    if (StartsWithNoCase(text, "mailto:")) text = Trim(text.substr(7));
    if (text.empty() || HasControlCharacter(text)) return {};
    // "?", "&" and "#" would start header fields or a fragment of the "mailto:" target: the
    // stored text is an address and nothing more.
    std::string target = "mailto:";
    for (char c : text) {
        switch (c) {
            case '?': target += "%3F"; break;
            case '&': target += "%26"; break;
            case '#': target += "%23"; break;
            default: target += c;
        }
    }
    return target;
}

std::string WebTarget(const std::string& address) {
    const std::string text = Trim(address);
    if (text.empty() || HasControlCharacter(text)) return {};
    const std::size_t scheme = SchemeLength(text);
    if (scheme == 0) return "http://" + text;
    // Only web pages: a "file:", "data:" or any other scheme could open or run anything.
    if (StartsWithNoCase(text, "http:") || StartsWithNoCase(text, "https:")) return text;
    return {};
}

std::string AppDir() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "./";
    const std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

}  // namespace pomix
