// Small text routines over code page 1251 strings, shared by the sections' searches and lists.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/side_by_side.h"

namespace pomix {

// Whole-field wildcard match: "*" any run of characters (also none), "?" exactly one.
bool WildMatch(const std::string& text, const std::string& pattern, bool ignoreCase);

// A WildMatch pattern prepared once, for a search that matches it against many fields:
// Matches(text) gives WildMatch(text, pattern, ignoreCase) without copying either for each
// text.
class WildPattern {
public:
    WildPattern(std::string pattern, bool ignoreCase);
    bool Matches(const std::string& text) const;

private:
    std::string raw_;      // as given: a text equal to it always matches
    std::string pattern_;  // doubled stars collapsed, upper-cased when case is ignored
    bool ignoreCase_;
};
// True when one of the lines matches pattern by WildMatch with case ignored.
bool LinesMatch(const std::vector<std::string>& lines, const std::string& pattern);
// Surname and initials: "Иванов И. П.".
std::string ShortName(const std::string& surname, const std::string& name,
                      const std::string& patronymic);
// Case-insensitive order: Latin and Cyrillic letters alphabetical, Ё sorted with Е.
// Returns -1, 0 or 1.
int CompareNoCase(const std::string& a, const std::string& b);
// The primary weights of the first 16 bytes of text as two numbers, zeros past its end: texts
// whose heads differ compare as their heads do; equal heads leave the order to CompareNoCase.
struct SortHead {
    std::uint64_t high, low;
    bool operator==(const SortHead&) const = default;
    bool operator<(const SortHead& other) const {
        return high != other.high ? high < other.high : low < other.low;
    }
};
SortHead SortHeadNoCase(const std::string& text);
// True when the head alone orders text: it fits in the head and holds no letter that only the
// secondary weights tell apart (Ё). Two such texts with equal heads compare equal.
bool SortHeadIsWhole(const std::string& text);
// From this many items on, a sort uses a second thread.
constexpr std::size_t kSortSideBySide = 32 * 1024;
// Sorts items by CompareNoCase of textOf(item), equal texts keeping their order.
template <class T, class TextOf>
void SortByTextNoCase(std::vector<T>& items, TextOf textOf) {
    // Heads are worked out once per item and settle most comparisons without a look at the
    // texts themselves.
    // Equal short texts (a name listed twice) are told apart by their index alone.
    struct Entry {
        SortHead head;
        std::size_t index;
        bool whole;
    };
    std::vector<Entry> order(items.size());
    const auto heads = [&items, &textOf, &order](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const std::string& text = textOf(items[i]);
            order[i] = {SortHeadNoCase(text), i, SortHeadIsWhole(text)};
        }
    };
    const auto before = [&items, &textOf](const Entry& a, const Entry& b) {
        if (!(a.head == b.head)) return a.head < b.head;
        if (a.whole && b.whole) return a.index < b.index;
        const int c = CompareNoCase(textOf(items[a.index]), textOf(items[b.index]));
        return c != 0 ? c < 0 : a.index < b.index;  // the index keeps equal texts in order
    };
    // A long list (a large file's names, sorted while the user waits for them) is worked on in
    // two halves side by side, then merged; the order is total, so the outcome is the same.
    const bool twoThreads = items.size() >= kSortSideBySide;
    const std::size_t half = items.size() / 2;
    if (twoThreads) {
        SideBySide([&] { heads(half, items.size()); }, [&] { heads(0, half); });
    } else {
        heads(0, items.size());
    }
    // Items already in order (a list saved sorted) are left as they are after one pass.
    if (std::is_sorted(order.begin(), order.end(), before)) return;
    if (twoThreads) {
        SideBySide([&] { std::sort(order.begin() + half, order.end(), before); },
                   [&] { std::sort(order.begin(), order.begin() + half, before); });
        std::inplace_merge(order.begin(), order.begin() + half, order.end(), before);
    } else {
        std::sort(order.begin(), order.end(), before);
    }
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const Entry& entry : order) sorted.push_back(std::move(items[entry.index]));
    items = std::move(sorted);
}
std::string DeleteBlanks(const std::string& text);
std::string RepeatChar(char c, int count);
// Leading and trailing blanks and control characters removed.
std::string Trim(const std::string& text);
// Leading and trailing spaces and tabs removed, nothing else: in the exchange formats a value's
// outer line breaks are content, and a control character there is the reader's to judge.
std::string TrimBlanks(const std::string& text);
// The ASCII letters upper- or lower-cased, every other byte kept: the names of the exchange formats
// and of the protocols are ASCII, and a UTF-8 text around them must come through unchanged, which
// the code page 1251 folding of UpperCase (cp1251.h) would break.
std::string UpperAscii(std::string text);
std::string LowerAscii(std::string text);

// What the desktop is asked to open for a stored e-mail or web address; empty when nothing
// should be opened.
// Mail: trimmed, without a leading "mailto:", "?", "&" and "#" percent-encoded so that the
// text cannot add header fields; nothing when it holds control characters.
std::string MailTarget(const std::string& address);
// Web: http and https addresses (any case) as they stand, a bare host name ("x.ru",
// "x.ru:8080/a") after "http://"; nothing for any other scheme or for control characters.
std::string WebTarget(const std::string& address);

// The folder of the running program, ending in "/".
std::string AppDir();

}  // namespace pomix
