#include "debts/statistics.h"

#include <gtest/gtest.h>

#include <cmath>

#include "storage/locale.h"
#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::W;

class WithSeparator : public ::testing::Test {
protected:
    void Use(char separator) { SetLocale(std::make_unique<FixedLocale>(separator)); }
    void TearDown() override { SetLocale(nullptr); }
};

using ParseAmountTest = WithSeparator;
using TotalsTest = WithSeparator;
using FormatAmountTest = WithSeparator;

struct SubjectCase {
    const char* subject;
    std::uint8_t kind;
    long double amount;
};

void ExpectParsed(const SubjectCase& c) {
    const ParsedAmount parsed = ParseAmount(W(c.subject));
    EXPECT_EQ(parsed.CurrencyKind, c.kind) << c.subject;
    if (c.kind != kNotAnAmount && parsed.CurrencyKind == c.kind) {
        EXPECT_EQ(FromReal48(parsed.Amount), FromReal48(*ToReal48(c.amount))) << c.subject;
    }
}

TEST_F(ParseAmountTest, SubjectsWithAFullStopSeparator) {
    Use('.');
    const SubjectCase cases[] = {
        {"100 $", kDollars, 100},          {"100USD", kDollars, 100},
        {"100 руб.", kRoubles, 100},       {"100 РУБЛЕЙ", kRoubles, 100},
        {"100 евро", kNotAnAmount, 0},     {"1 500 руб", kRoubles, 1500},
        {"5 руб за 2 дня", kRoubles, 52},  {"$100", kNotAnAmount, 0},
        {" 100 $", kNotAnAmount, 0},       {"10.5.1 $", kNotAnAmount, 0},
        {"", kNotAnAmount, 0},             {"12.50 $", kDollars, 12.5L},
        {"0.1 usd", kDollars, 0.1L},       {"7 рубликов", kRoubles, 7},
        {"3 руб и 2 $", kDollars, 32},     {"5. $", kDollars, 5},
        {"10,5 $", kDollars, 105},         {"007 $", kDollars, 7},
        {"2 u s d", kDollars, 2},          {"книга", kNotAnAmount, 0},
    };
    for (const auto& c : cases) ExpectParsed(c);
}

TEST_F(ParseAmountTest, SubjectsWithACommaSeparator) {
    Use(',');
    const SubjectCase cases[] = {
        {"100 $", kDollars, 100},          {"100USD", kDollars, 100},
        {"100 руб.", kRoubles, 100},       {"100 РУБЛЕЙ", kRoubles, 100},
        {"100 евро", kNotAnAmount, 0},     {"1 500 руб", kRoubles, 1500},
        {"5 руб за 2 дня", kRoubles, 52},  {"$100", kNotAnAmount, 0},
        {" 100 $", kNotAnAmount, 0},       {"10.5.1 $", kDollars, 1051},
        {"12.50 $", kDollars, 1250},       {"12,50 $", kDollars, 12.5L},
        {"1,5,1 руб", kNotAnAmount, 0},
    };
    for (const auto& c : cases) ExpectParsed(c);
}

TEST_F(ParseAmountTest, NumbersBeyondTheRealAreNotAmounts) {
    Use('.');
    const std::string big38(38, '0'), big39(39, '0');
    EXPECT_EQ(ParseAmount("1" + big38 + " $").CurrencyKind, kDollars);      // 1e38 fits
    EXPECT_EQ(ParseAmount("1" + big39 + " $").CurrencyKind, kNotAnAmount);  // 1e39 does not
    EXPECT_EQ(ParseAmount(std::string(5000, '9') + " $").CurrencyKind, kNotAnAmount);
    // Tiny fractions below the smallest 6-byte real read as zero dollars.
    const ParsedAmount tiny = ParseAmount("0." + std::string(60, '0') + "1 $");
    EXPECT_EQ(tiny.CurrencyKind, kDollars);
    EXPECT_EQ(FromReal48(tiny.Amount), 0.0L);
}

std::array<std::string, 6> Texts(const CreditList& list) {
    return StatisticsTexts(CreditTotals(list));
}

TEST_F(TotalsTest, NoDebtsShowZeroEverywhere) {
    Use('.');
    EXPECT_EQ(Texts(CreditList()),
              (std::array<std::string, 6>{"0.00 $", W("0.00 рублей"), "0.00 $", W("0.00 рублей"),
                                          "0.00 $", W("0.00 рублей")}));
    Use(',');
    EXPECT_EQ(Texts(CreditList())[5], W("0,00 рублей"));
}

TEST_F(TotalsTest, SumsPerKindAndCurrencyAndTheBalances) {
    Use(',');
    CreditList list;
    list.Add(TCreditNote(kOwedToMe, "a", W("100 $"), 0, 0));
    list.Add(TCreditNote(kOwedToMe, "b", W("1 500,5 руб"), 0, 0));
    list.Add(TCreditNote(kIOwe, "c", W("250,25 USD"), 0, 0));
    list.Add(TCreditNote(kIOwe, "d", W("20 рублей"), 0, 0));
    list.Add(TCreditNote(kOwedToMe, "e", W("дрель"), 0, 0));
    list.Add(TCreditNote(3, "f", W("999 $"), 0, 0));  // neither kind: skipped
    list.Add(TCreditNote(kIOwe, "g", W("0,0078125 $"), 0, 0));
    EXPECT_EQ(Texts(list),
              (std::array<std::string, 6>{"100,00 $", W("1500,50 рублей"), "250,26 $",
                                          W("20,00 рублей"), "-150,26 $",
                                          W("1480,50 рублей")}));
    EXPECT_FALSE(CreditTotals(list).AnyClamped());
}

TEST_F(TotalsTest, EachSumIsRoundedToTheRealAfterEveryAddition) {
    Use('.');
    CreditList list;
    // 2^40 + 1 rounds to 2^40 on its own; three more 1s each round away again (ties to even),
    // where exact arithmetic would give 2^40 + 4.
    list.Add(TCreditNote(kOwedToMe, "", "1099511627776 $", 0, 0));
    for (int i = 0; i < 3; ++i) list.Add(TCreditNote(kOwedToMe, "", "1 $", 0, 0));
    EXPECT_EQ(FromReal48(CreditTotals(list).S1), 1099511627776.0L);
}

TEST_F(TotalsTest, ASumBeyondTheRealIsClampedAndSaysSo) {
    Use('.');
    CreditList list;
    const std::string big = "1" + std::string(38, '0') + " $";
    list.Add(TCreditNote(kOwedToMe, "", big, 0, 0));
    list.Add(TCreditNote(kOwedToMe, "", big, 0, 0));
    list.Add(TCreditNote(kOwedToMe, "", "5 $", 0, 0));
    list.Add(TCreditNote(kIOwe, "", "7 $", 0, 0));
    list.Add(TCreditNote(kIOwe, "", W("3 руб"), 0, 0));
    const DebtTotals totals = CreditTotals(list);
    EXPECT_EQ(totals.Clamped, (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(totals.S1, Real48Max());
    const auto texts = StatisticsTexts(totals);
    EXPECT_EQ(texts[0], ">1.701411834603145E38 $");
    EXPECT_EQ(texts[2], "7.00 $");
    EXPECT_EQ(texts[4], ">1.701411834603145E38 $");  // made from a clamped sum
    EXPECT_EQ(texts[5], W("-3.00 рублей"));

    // Clamped on the side that is taken away: the true balance is smaller.
    CreditList owing;
    owing.Add(TCreditNote(kIOwe, "", big, 0, 0));
    owing.Add(TCreditNote(kIOwe, "", big, 0, 0));
    owing.Add(TCreditNote(kOwedToMe, "", "2 $", 0, 0));
    const auto owingTexts = StatisticsTexts(CreditTotals(owing));
    EXPECT_EQ(owingTexts[2], ">1.701411834603145E38 $");
    EXPECT_EQ(owingTexts[4], "<-1.701411834603145E38 $");

    // Both sides clamped: the balance says nothing.
    for (int i = 0; i < 2; ++i) owing.Add(TCreditNote(kOwedToMe, "", big, 0, 0));
    const DebtTotals both = CreditTotals(owing);
    EXPECT_TRUE(both.AnyClamped());
    EXPECT_EQ(StatisticsTexts(both)[4], "?0.00 $");
}

TEST_F(TotalsTest, TwoLargeButStorableSumsAreNotMarked) {
    Use('.');
    CreditList list;
    const std::string big = "1" + std::string(37, '0') + " $";  // 1e37: twice fits the real
    list.Add(TCreditNote(kOwedToMe, "", big, 0, 0));
    list.Add(TCreditNote(kOwedToMe, "", big, 0, 0));
    const DebtTotals totals = CreditTotals(list);
    EXPECT_FALSE(totals.AnyClamped());
    EXPECT_EQ(FromReal48(totals.S1), 2 * FromReal48(*ToReal48(1e37L)));
    const std::string text = StatisticsTexts(totals)[0];
    EXPECT_TRUE(text[0] == '1' || text[0] == '2') << text;  // no mark in front
    EXPECT_NE(text.find("E37 $"), std::string::npos) << text;
}

TEST_F(FormatAmountTest, TwoDecimalsAtMostSixteenDigits) {
    Use('.');
    const struct {
        long double value;
        const char* text;
    } cases[] = {
        {0, "0.00"},
        {0.125L, "0.13"},  // exactly half a cent: away from zero
        {-0.125L, "-0.13"},
        {0.375L, "0.38"},
        {-0.001L, "0.00"},  // no sign on a value that shows as zero
        {1234.5L, "1234.50"},
        {999.999L, "1000.00"},
        {123456789012345.67L, "123456789012345.70"},  // 16 significant digits
        {9999999999999999.0L, "9999999999999999.00"},
        {1e16L, "1E16"},
        {9999999999999999.5L, "1E16"},  // 16 digits round up to 17: exponent form
        {-9999999999999999.75L, "-1E16"},
        {99999999999999995e3L, "1E20"},
        {-2.5e20L, "-2.5E20"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatAmount(c.value), c.text) << c.text;
    Use(',');
    EXPECT_EQ(FormatAmount(-150.5L), "-150,50");
    EXPECT_EQ(FormatAmount(1.5e30L), "1,5E30");
}

}  // namespace
}  // namespace pomix
