#include "storage/text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::W;

struct WildCase {
    const char* text;
    const char* pattern;
    bool ignoreCase;
    bool expected;
};

TEST(WildMatch, Table) {
    const WildCase cases[] = {
        {"", "*", true, true},
        {"anything", "*", true, true},
        {"anything", "***", true, true},
        {"", "", true, true},
        {"a", "", true, false},
        {"", "a", true, false},
        {"abc", "a*c", false, true},
        {"ac", "a*c", false, true},
        {"abcd", "a*c", false, false},
        {"ba", "b*a*a", false, false},
        {"baa", "b*a*a", false, true},
        {"a", "a*b*", false, true},  // a trailing star satisfies whatever pattern is left
        {"a", "a*b", false, false},
        {"abc", "a?c", false, true},
        {"abbc", "a?c", false, false},
        {"ABC", "abc", false, false},
        {"ABC", "abc", true, true},
        {"xAyBz", "*a*b*", true, true},
        {"hello world", "*o w*", true, true},
        {"hello", "hel", true, false},  // no star: the whole field must match
        {"abcabc", "*b?a*", true, true},
        {"abxc", "*b?c", true, true},
        {"abc", "a**c", true, true},
        {"a*c", "a*c", false, true},  // equal texts match before any wildcard rule
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WildMatch(c.text, c.pattern, c.ignoreCase), c.expected)
            << "text '" << c.text << "' pattern '" << c.pattern << "'";
    }
}

TEST(WildMatch, IgnoresCaseOfCyrillic) {
    EXPECT_TRUE(WildMatch(W("Ёлка зелёная"), W("ёлка*ЗЕЛЁНАЯ"), true));
    EXPECT_FALSE(WildMatch(W("Ёлка"), W("ёлка"), false));
}

TEST(LinesMatch, TriesEveryLine) {
    EXPECT_FALSE(LinesMatch({}, "*"));
    EXPECT_TRUE(LinesMatch({"first", "Second"}, "second"));
    EXPECT_FALSE(LinesMatch({"first", "second"}, "sec"));
}

TEST(ShortName, InitialsOnlyFromNamesLongerThanOneCharacter) {
    EXPECT_EQ(ShortName(W("Иванов"), W("Иван"), W("Петрович")), W("Иванов И. П."));
    EXPECT_EQ(ShortName(W("Иванов"), W("И"), W("Петрович")), W("Иванов П."));
    EXPECT_EQ(ShortName(W("Иванов"), W("Иван"), W("П")), W("Иванов И."));
    EXPECT_EQ(ShortName("Smith", "", ""), "Smith");
    EXPECT_EQ(ShortName("", "John", ""), "J.");
    EXPECT_EQ(ShortName(" Smith\t", "", ""), "Smith");
}

TEST(CompareNoCase, OrdersLikeARussianDictionary) {
    std::vector<std::string> words = {W("ёж"),  W("Яблоко"), "zebra", W("ель"), "Apple", "10",
                                      W("Жук"), W("елка"),   "!bang", W("еж"),  W("Ель")};
    std::stable_sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        return CompareNoCase(a, b) < 0;
    });
    const std::vector<std::string> expected = {"!bang",  "10",     "Apple",    "zebra",
                                               W("еж"),  W("ёж"),  W("елка"),  W("ель"),
                                               W("Ель"), W("Жук"), W("Яблоко")};
    EXPECT_EQ(words, expected);
    EXPECT_EQ(CompareNoCase(W("ЕЛЬ"), W("ель")), 0);
    EXPECT_EQ(CompareNoCase("NBook", "nbook"), 0);
    EXPECT_EQ(CompareNoCase("ab", "abc"), -1);
    EXPECT_EQ(CompareNoCase(W("ё"), W("е")), 1);
    EXPECT_EQ(CompareNoCase(W("ёа"), W("еб")), -1);  // Ё weighs like Е before anything else
}

TEST(SmallTexts, BlanksRepeatsAndTargets) {
    EXPECT_EQ(DeleteBlanks(" 1 500 руб "), "1500руб");
    EXPECT_EQ(RepeatChar('-', 3), "---");
    EXPECT_EQ(RepeatChar('-', 0), "");
    EXPECT_EQ(RepeatChar('-', -2), "");
    EXPECT_EQ(MailTarget(""), "");
    EXPECT_EQ(MailTarget("a@b.ru"), "mailto:a@b.ru");
    EXPECT_EQ(WebTarget(""), "");
    EXPECT_EQ(WebTarget("http://x.ru"), "http://x.ru");
    EXPECT_EQ(WebTarget("www.x.ru"), "http://www.x.ru");
    EXPECT_EQ(WebTarget("ftp://x.ru"), "http://ftp://x.ru");      // three-letter scheme
    EXPECT_EQ(WebTarget("https://x.ru"), "http://https://x.ru");  // five-letter scheme
    EXPECT_EQ(WebTarget("x:"), "http://x:");
}

TEST(AppDir, IsTheFolderOfTheRunningProgram) {
    const std::string dir = AppDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(dir.front(), '/');
}

}  // namespace
}  // namespace pomix
