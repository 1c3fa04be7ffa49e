#include "core/debts/statistics.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "storage/locale.h"
#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::W;

struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return ' '; }
};

// The process's C and C++ locales and the program's own, all with one decimal separator;
// restored afterwards.
class UnderLocale {
public:
    explicit UnderLocale(char separator) : previous_(std::locale::global(Make(separator))) {
        // A system locale with a decimal comma where one is installed; the C++ global
        // locale above has one in any case.
        if (separator == ',') {
            for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8", "ru_RU.CP1251"}) {
                if (std::setlocale(LC_NUMERIC, name)) break;
            }
        } else {
            std::setlocale(LC_NUMERIC, "C");
        }
        SetLocale(std::make_unique<FixedLocale>(separator));
    }
    ~UnderLocale() {
        std::locale::global(previous_);
        std::setlocale(LC_NUMERIC, "C");
        SetLocale(nullptr);
    }

private:
    static std::locale Make(char separator) {
        return separator == ',' ? std::locale(std::locale::classic(), new CommaPunct)
                                : std::locale::classic();
    }
    std::locale previous_;
};

TEST(ParseAmountTest, FirstNumberOfTheSubjectWhateverTheLocale) {
    const struct {
        const char* subject;
        std::uint8_t kind;
        Kopecks amount;
        bool tooLarge;
    } cases[] = {
        {"1500,50 руб.", kRoubles, 150050, false},
        {"1500.50 руб.", kRoubles, 150050, false},
        {"1 500,50 руб.", kRoubles, 150050, false},
        {"1\xC2\xA0" "500.50 руб.", kRoubles, 150050, false},  // a no-break space
        {"1 500 000 $", kDollars, 150000000, false},
        {"1e309 руб.", kRoubles, 100, false},
        {"0x10 руб.", kRoubles, 0, false},
        {"99999999999999999999 $", kNotAnAmount, 0, true},
        {"92233720368547758,07 $", kDollars, 9223372036854775807, false},
        {"92233720368547758,08 $", kNotAnAmount, 0, true},
        {"5 руб за 2 дня", kRoubles, 500, false},
        {"10.5.1 $", kDollars, 1050, false},
        {"12 34 $", kDollars, 1200, false},    // not a group of three
        {"1234 567 $", kDollars, 123400, false},  // groups only after at most three digits
        {"0,125 usd", kDollars, 13, false},    // half a cent up
        {"0,1249 usd", kDollars, 12, false},
        {"5. $", kDollars, 500, false},
        {"100 РУБЛЕЙ", kRoubles, 10000, false},
        {"3 руб и 2 $", kDollars, 300, false},
        {"100 евро", kNotAnAmount, 0, false},
        {"99999999999999999999 книг", kNotAnAmount, 0, false},
        {"$100", kNotAnAmount, 0, false},
        {" 100 $", kNotAnAmount, 0, false},
        {"", kNotAnAmount, 0, false},
    };
    for (const char separator : {',', '.'}) {
        const UnderLocale locale(separator);
        for (const auto& c : cases) {
            const ParsedAmount parsed = ParseAmount(W(c.subject));
            EXPECT_EQ(parsed.CurrencyKind, c.kind) << c.subject << " under " << separator;
            EXPECT_EQ(parsed.Amount, c.amount) << c.subject << " under " << separator;
            EXPECT_EQ(parsed.TooLarge, c.tooLarge) << c.subject << " under " << separator;
        }
    }
}

TEST(CreditTotalsTest, ExactToTheKopeckWithWhatIsLeftOutCounted) {
    CreditList list;
    list.Add(TCreditNote(kOwedToMe, "a", "99999999999999999999 $", 0, 0));
    list.Add(TCreditNote(kOwedToMe, "b", "250 $", 0, 0));
    list.Add(TCreditNote(kOwedToMe, "c", W("1 500,50 руб."), 0, 0));
    list.Add(TCreditNote(kIOwe, "d", "0.10 $", 0, 0));
    list.Add(TCreditNote(kIOwe, "e", "0.20 $", 0, 0));  // 0.1 + 0.2 is 0.30 here
    list.Add(TCreditNote(kIOwe, "f", W("2000 рублей"), 0, 0));
    list.Add(TCreditNote(kOwedToMe, "g", W("дрель"), 0, 0));
    list.Add(TCreditNote(3, "h", "999 $", 0, 0));  // neither kind: skipped
    // Two amounts that fit but whose sum would not: the second is left out.
    list.Add(TCreditNote(kIOwe, "i", "92233720368547757 $", 0, 0));
    list.Add(TCreditNote(kIOwe, "j", "1 $", 0, 0));
    const DebtTotals totals = CreditTotals(list);
    EXPECT_EQ(totals.LeftOut, 2);
    EXPECT_EQ(totals.S1, 25000);
    EXPECT_EQ(totals.S3, 9223372036854775730);
    for (const char separator : {',', '.'}) {
        const std::string p(1, separator);
        EXPECT_EQ(StatisticsTexts(totals, separator, W(" рублей")),
                  (std::array<std::string, 6>{
                      "250" + p + "00 $", W("1500") + p + W("50 рублей"),
                      "92233720368547757" + p + "30 $", W("2000") + p + W("00 рублей"),
                      "-92233720368547507" + p + "30 $", W("-499") + p + W("50 рублей")}));
    }
    EXPECT_EQ(StatisticsTexts(DebtTotals{}, ',', W(" рублей"))[5], W("0,00 рублей"));
    EXPECT_EQ(FormatAmount(-5, '.'), "-0.05");
    EXPECT_EQ(FormatAmount(INT64_MIN, '.'), "-92233720368547758.08");
}

}  // namespace
}  // namespace pomix
