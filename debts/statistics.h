// Money totals of the debt book: amounts read from the start of a debt's subject, summed per
// kind and currency, and the texts of the statistics panel.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "debts/credit.h"
#include "debts/real48.h"

namespace pomix {

inline constexpr std::uint8_t kDollars = 0;
inline constexpr std::uint8_t kRoubles = 1;
inline constexpr std::uint8_t kNotAnAmount = 2;

struct ParsedAmount {
    std::uint8_t CurrencyKind = kNotAnAmount;
    Real48 Amount;  // meaningful only for dollars and roubles
};

// A subject counts as money when it begins with a digit: every digit and decimal separator
// (the locale's) of the whole subject forms the number; the subject without blanks,
// upper-cased, holding "$" or "USD" makes dollars, else "РУБ" roubles. A number that does not
// read (two separators) or does not fit the 6-byte real is not an amount.
ParsedAmount ParseAmount(const std::string& subject);

struct DebtTotals {
    Real48 S1;  // owed to me, dollars
    Real48 S2;  // owed to me, roubles
    Real48 S3;  // I owe, dollars
    Real48 S4;  // I owe, roubles
    // Per sum, S1 to S4: it outgrew the 6-byte real and was held at the largest value, so the
    // real total is at least what it shows.
    std::array<bool, 4> Clamped{};
    bool AnyClamped() const { return Clamped[0] || Clamped[1] || Clamped[2] || Clamped[3]; }
};

// Sums over every debt of kind 1 or 2, each sum rounded to the 6-byte real after every
// addition.
DebtTotals CreditTotals(const CreditList& list);

// Fixed point with two decimals and the locale's separator, at most 16 significant digits
// (rounded half away from zero); exponent form for what rounds to 1e16 or more.
std::string FormatAmount(long double value);

// The six statistics texts in panel order: S1 " $", S2 " рублей", S3 " $", S4 " рублей",
// S1 - S3 " $", S2 - S4 " рублей" (code page 1251). A value that a clamped sum made is not the
// true one and is marked in front: ">" when the true value is larger (a clamped sum, or a
// balance whose first sum was clamped), "<" when it is smaller (a balance whose second sum
// was), "?" when both sums of a balance were clamped and nothing is known.
std::array<std::string, 6> StatisticsTexts(const DebtTotals& totals);

}  // namespace pomix
