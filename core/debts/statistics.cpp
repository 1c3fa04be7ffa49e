#include "core/debts/statistics.h"


#include "storage/cp1251.h"
#include "storage/text.h"

namespace pomix {
namespace {

constexpr char kNoBreakSpace = '\xA0';  // in code page 1251

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const std::string& RoublesWord() {
    static const std::string word = Utf8ToCp1251("РУБ");
    return word;
}

// value = value * 10 + digit, false when that leaves the Kopecks range.
bool AppendDigit(Kopecks& value, char digit) {
    return !__builtin_mul_overflow(value, 10, &value) &&
           !__builtin_add_overflow(value, digit - '0', &value);
}

// Exactly three digits from `at`, not followed by a fourth.
bool IsGroupOfThree(const std::string& text, std::size_t at) {
    if (at + 3 > text.size()) return false;
    for (std::size_t i = at; i < at + 3; ++i) {
        if (!IsDigit(text[i])) return false;
    }
    return at + 3 == text.size() || !IsDigit(text[at + 3]);
}

// The number at the start of text in kopecks; false when it does not fit.
bool ReadLeadingNumber(const std::string& text, Kopecks& kopecks) {
    Kopecks units = 0;
    std::size_t at = 0;
    while (at < text.size() && IsDigit(text[at])) {
        if (!AppendDigit(units, text[at++])) return false;
    }
    // Groups of three only after a first group of at most three digits.
    if (at <= 3) {
        while (at < text.size() && (text[at] == ' ' || text[at] == kNoBreakSpace) &&
               IsGroupOfThree(text, at + 1)) {
            for (std::size_t i = at + 1; i < at + 4; ++i) {
                if (!AppendDigit(units, text[i])) return false;
            }
            at += 4;
        }
    }
    int fraction = 0;  // kopecks
    if (at + 1 < text.size() && (text[at] == ',' || text[at] == '.') && IsDigit(text[at + 1])) {
        ++at;
        char digits[3] = {'0', '0', '0'};
        for (int i = 0; at < text.size() && IsDigit(text[at]); ++at, ++i) {
            if (i < 3) digits[i] = text[at];
        }
        fraction = (digits[0] - '0') * 10 + (digits[1] - '0') + (digits[2] >= '5' ? 1 : 0);
    }
    return !__builtin_mul_overflow(units, 100, &kopecks) &&
           !__builtin_add_overflow(kopecks, fraction, &kopecks);
}

}  // namespace

ParsedAmount ParseAmount(const std::string& subject) {
    ParsedAmount result;
    if (subject.empty() || !IsDigit(subject[0])) return result;
    const std::string currency = UpperCase(DeleteBlanks(subject));
    std::uint8_t kind = kNotAnAmount;
    if (currency.find('$') != std::string::npos || currency.find("USD") != std::string::npos) {
        kind = kDollars;
    } else if (currency.find(RoublesWord()) != std::string::npos) {
        kind = kRoubles;
    } else {
        return result;
    }
    if (!ReadLeadingNumber(subject, result.Amount)) {
        result.Amount = 0;
        result.TooLarge = true;
        return result;
    }
    result.CurrencyKind = kind;
    return result;
}

DebtTotals CreditTotals(const CreditList& list) {
    DebtTotals totals;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TCreditNote& debt = list[i];
        if (debt.Kind != kOwedToMe && debt.Kind != kIOwe) continue;
        const ParsedAmount parsed = ParseAmount(debt.Name);
        if (parsed.TooLarge) ++totals.LeftOut;
        if (parsed.CurrencyKind == kNotAnAmount) continue;
        const bool dollars = parsed.CurrencyKind == kDollars;
        Kopecks& sum = debt.Kind == kOwedToMe ? (dollars ? totals.S1 : totals.S2)
                                              : (dollars ? totals.S3 : totals.S4);
        // Every sum stays non-negative and within range, so the balances cannot overflow.
        Kopecks added;
        if (__builtin_add_overflow(sum, parsed.Amount, &added)) {
            ++totals.LeftOut;
        } else {
            sum = added;
        }
    }
    return totals;
}

std::string FormatAmount(Kopecks value, char decimalSeparator) {
    // The magnitude unsigned: the negative end of the range has no positive counterpart.
    const std::uint64_t magnitude =
        value < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string text = std::to_string(magnitude / 100);
    text.push_back(decimalSeparator);
    text.push_back(static_cast<char>('0' + magnitude % 100 / 10));
    text.push_back(static_cast<char>('0' + magnitude % 10));
    if (value < 0) text.insert(text.begin(), '-');
    return text;
}

std::array<std::string, 6> StatisticsTexts(const DebtTotals& totals, char decimalSeparator,
                                           const std::string& roubles) {
    const auto format = [decimalSeparator](Kopecks value) {
        return FormatAmount(value, decimalSeparator);
    };
    return {format(totals.S1) + " $",
            format(totals.S2) + roubles,
            format(totals.S3) + " $",
            format(totals.S4) + roubles,
            format(totals.S1 - totals.S3) + " $",
            format(totals.S2 - totals.S4) + roubles};
}

}  // namespace pomix
