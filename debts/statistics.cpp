#include "debts/statistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "storage/cp1251.h"
#include "storage/locale.h"
#include "storage/text.h"

namespace pomix {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const std::string& RoublesSuffix() {
    static const std::string suffix = Utf8ToCp1251(" рублей");
    return suffix;
}

const std::string& RoublesWord() {
    static const std::string word = Utf8ToCp1251("РУБ");
    return word;
}

// Digits with at most one separator, as the number text always is; a trailing separator
// reads like none ("5." is 5).
bool ReadNumber(const std::string& number, char separator, long double& value) {
    if (std::count(number.begin(), number.end(), separator) > 1) return false;
    std::string plain = number;
    std::replace(plain.begin(), plain.end(), separator, '.');
    const auto result =
        std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::fixed);
    return result.ec == std::errc() && result.ptr == plain.data() + plain.size();
}

void Add(Real48& sum, const Real48& amount, bool& clamped) {
    const long double total = FromReal48(sum) + FromReal48(amount);
    if (const auto rounded = ToReal48(total)) {
        sum = *rounded;
    } else {
        sum = Real48Max(total < 0);
        clamped = true;
    }
}

// Rounds a plain decimal text "ddd.ddd" half away from zero to keep `decimals` fraction
// digits (the carry may add an integer digit) and writes them with the separator.
std::string RoundDecimal(const std::string& text, int decimals, char separator) {
    const std::size_t point = text.find('.');
    std::string digits = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    fraction.resize(std::max<std::size_t>(fraction.size(), decimals + 1), '0');
    digits.append(fraction, 0, decimals);
    if (fraction[decimals] >= '5') {
        int k = static_cast<int>(digits.size()) - 1;
        for (; k >= 0 && digits[k] == '9'; --k) digits[k] = '0';
        if (k < 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[k];
        }
    }
    const std::size_t whole = digits.size() - decimals;
    std::string result = digits.substr(0, whole);
    result.push_back(separator);
    result.append(digits, whole, std::string::npos);
    result.append(2 - decimals, '0');
    return result;
}

}  // namespace

ParsedAmount ParseAmount(const std::string& subject) {
    ParsedAmount result;
    if (subject.empty() || !IsDigit(subject[0])) return result;
    const char separator = CurrentLocale().DecimalSeparator();
    std::string number;
    for (char c : subject) {
        if (IsDigit(c) || c == separator) number += c;
    }
    long double value = 0;
    if (!ReadNumber(number, separator, value)) return result;
    const auto amount = ToReal48(value);
    if (!amount) return result;
    const std::string currency = UpperCase(DeleteBlanks(subject));
    if (currency.find('$') != std::string::npos || currency.find("USD") != std::string::npos) {
        result.CurrencyKind = kDollars;
    } else if (currency.find(RoublesWord()) != std::string::npos) {
        result.CurrencyKind = kRoubles;
    } else {
        return result;
    }
    result.Amount = *amount;
    return result;
}

DebtTotals CreditTotals(const CreditList& list) {
    DebtTotals totals;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TCreditNote& debt = list[i];
        if (debt.Kind != kOwedToMe && debt.Kind != kIOwe) continue;
        const ParsedAmount parsed = ParseAmount(debt.Name);
        if (parsed.CurrencyKind == kNotAnAmount) continue;
        const bool dollars = parsed.CurrencyKind == kDollars;
        Real48& sum = debt.Kind == kOwedToMe ? (dollars ? totals.S1 : totals.S2)
                                             : (dollars ? totals.S3 : totals.S4);
        const int which = (debt.Kind == kOwedToMe ? 0 : 2) + (dollars ? 0 : 1);
        Add(sum, parsed.Amount, totals.Clamped[which]);
    }
    return totals;
}

std::string FormatAmount(long double value) {
    const char separator = CurrentLocale().DecimalSeparator();
    std::string text;
    if (!std::isfinite(value)) value = 0;
    const long double magnitude = std::fabs(value);
    // Rounded to 16 significant digits first: what rounds up to 1e16 has 17 digits before the
    // point and is shown in exponent form too.
    char rounded[64];
    std::snprintf(rounded, sizeof rounded, "%.15Le", magnitude);
    const char* e = std::strchr(rounded, 'e');
    if (magnitude != 0 && std::atoi(e + 1) >= 16) {
        // 16 significant digits, trailing zeros dropped: 1.701411834603145E38.
        text.assign(rounded, static_cast<std::size_t>(e - rounded));
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
        std::replace(text.begin(), text.end(), '.', separator);
        text.push_back('E');
        text.append(std::to_string(std::atoi(e + 1)));
    } else {
        // The exact binary value in decimal (every 6-byte real and every difference of two
        // ends within 200 fraction digits), then rounded once at the last kept digit: two
        // decimals, fewer when the integer part leaves less of the 16 digits.
        char buf[16 + 1 + 200 + 8];
        std::snprintf(buf, sizeof buf, "%.200Lf", magnitude);
        const std::string exact = buf;
        const int integerDigits = exact[0] == '0' ? 0 : static_cast<int>(exact.find('.'));
        text = RoundDecimal(exact, std::clamp(16 - integerDigits, 0, 2), separator);
        // A value that rounds to zero shows no sign.
        if (text.find_first_not_of(std::string("0") + separator) == std::string::npos) {
            return text;
        }
    }
    if (value < 0) text.insert(text.begin(), '-');
    return text;
}

std::array<std::string, 6> StatisticsTexts(const DebtTotals& totals) {
    const long double s1 = FromReal48(totals.S1), s2 = FromReal48(totals.S2);
    const long double s3 = FromReal48(totals.S3), s4 = FromReal48(totals.S4);
    const auto& c = totals.Clamped;
    const auto sum = [](bool clamped) { return std::string(clamped ? ">" : ""); };
    const auto balance = [](bool first, bool second) {
        return std::string(first && second ? "?" : first ? ">" : second ? "<" : "");
    };
    return {sum(c[0]) + FormatAmount(s1) + " $",
            sum(c[1]) + FormatAmount(s2) + RoublesSuffix(),
            sum(c[2]) + FormatAmount(s3) + " $",
            sum(c[3]) + FormatAmount(s4) + RoublesSuffix(),
            balance(c[0], c[2]) + FormatAmount(s1 - s3) + " $",
            balance(c[1], c[3]) + FormatAmount(s2 - s4) + RoublesSuffix()};
}

}  // namespace pomix
