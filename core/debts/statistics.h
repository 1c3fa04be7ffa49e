// Money totals of the debt book: amounts read from the start of a debt's subject, summed per
// kind and currency in whole kopecks (cents), and the texts of the statistics panel.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/debts/credit.h"

namespace pomix {

inline constexpr std::uint8_t kDollars = 0;
inline constexpr std::uint8_t kRoubles = 1;
inline constexpr std::uint8_t kNotAnAmount = 2;

// Hundredths of the currency unit. Sums are exact: nothing is rounded once an amount is read.
using Kopecks = std::int64_t;

struct ParsedAmount {
    std::uint8_t CurrencyKind = kNotAnAmount;
    Kopecks Amount = 0;  // meaningful only for dollars and roubles
    // A subject with a currency whose number has more kopecks than a Kopecks holds; its kind
    // is then kNotAnAmount.
    bool TooLarge = false;
};

// The amount is the number at the very start of the subject (which must begin with a digit):
// digits, optionally in groups of three after a blank or a no-break space ("1 500"), then
// optionally "," or "." and the fraction digits. The number ends at the first character that
// cannot continue it, so "1e309" reads as 1, "0x10" as 0, "10.5.1" as 10.5 and "5 руб за 2
// дня" as 5. A fraction finer than a kopeck is rounded to the nearest one, half up. The
// system's and the program's locale play no part. The currency: the subject without blanks,
// upper-cased, holding "$" or "USD" makes dollars, else "РУБ" roubles.
ParsedAmount ParseAmount(const std::string& subject);

struct DebtTotals {
    Kopecks S1 = 0;  // owed to me, dollars
    Kopecks S2 = 0;  // owed to me, roubles
    Kopecks S3 = 0;  // I owe, dollars
    Kopecks S4 = 0;  // I owe, roubles
    // Subjects with a currency left out because their amount, or the sum with it, would not
    // be exact to the kopeck.
    int LeftOut = 0;
};

// Sums over every debt of kind 1 or 2.
DebtTotals CreditTotals(const CreditList& list);

// Fixed point with exactly two decimals and the given separator, no group separators.
std::string FormatAmount(Kopecks value, char decimalSeparator);

// The six statistics texts in panel order: S1 " $", S2 roubles, S3 " $", S4 roubles,
// S1 - S3 " $", S2 - S4 roubles (code page 1251); roubles is the interface language's
// suffix (" рублей").
std::array<std::string, 6> StatisticsTexts(const DebtTotals& totals, char decimalSeparator,
                                           const std::string& roubles);

}  // namespace pomix
