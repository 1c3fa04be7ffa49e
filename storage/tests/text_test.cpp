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

TEST(WildMatch, OnePreparedPatternOverManyTexts) {
    // Long texts before short ones and back: nothing of one text may stay for the next.
    const WildPattern pattern(W("*б?в*ГД"), true);
    const struct {
        std::string text;
        bool expected;
    } cases[] = {
        {W("ааа бXв ггг гд"), true}, {W("бв гд"), false},  {W("БЁВгд"), true},
        {W("бвв"), false},          {"", false},           {W("xxБ-ВxxГдxxгд"), true},
        {W("бвгд"), false},         {W("Бzвгд"), true},
    };
    for (const auto& c : cases) EXPECT_EQ(pattern.Matches(c.text), c.expected) << c.text;

    const WildPattern exact("a*C", false);
    EXPECT_TRUE(exact.Matches("abbC"));
    EXPECT_FALSE(exact.Matches("abbc"));
    const WildPattern empty("", true);
    EXPECT_TRUE(empty.Matches(""));
    EXPECT_FALSE(empty.Matches("a"));
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

// Lists are sorted by heads worked out once per line: the order must be CompareNoCase's in
// every case, including texts that are prefixes of others, texts differing only by Ё and
// texts that share their first sixteen letters; and as many as are sorted on two threads.
TEST(CompareNoCase, SortGivesTheComparisonsOrder) {
    std::vector<std::string> texts = {"", "a", "A", "ab", "abc", "a\x01", W("е"), W("ё"), W("Ё"),
                                      W("еж"), W("ёж"), W("ёа"), W("еб"), "\xFF", "\x01", "10", "1"};
    std::uint32_t x = 7;
    for (std::size_t i = 0; i < kSortSideBySide + 600; ++i) {
        // A shared long start for some, so that heads are equal and the texts decide.
        std::string text = i % 3 == 0 ? "abcdefghABCDEFGH" : "";
        for (int n = (x >> 7) % 5; n > 0; --n) {
            x = x * 1103515245u + 12345u;
            // Mostly a few letters (so that equal and prefix texts turn up), sometimes any byte.
            const char pool[] = {'a', 'A', 'b', '\xE5', '\xB8', '\xA8', '\xC5'};
            text += (x >> 24) % 8 == 0 ? static_cast<char>(x >> 16) : pool[(x >> 16) % 7];
        }
        texts.push_back(text);
    }
    std::vector<std::pair<std::string, std::size_t>> sorted;
    for (std::size_t i = 0; i < texts.size(); ++i) sorted.emplace_back(texts[i], i);
    auto expected = sorted;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return CompareNoCase(a.first, b.first) < 0; });
    const auto textOf = [](const auto& item) -> const std::string& { return item.first; };
    SortByTextNoCase(sorted, textOf);
    EXPECT_EQ(sorted, expected);
    // In order already: left so; in order but for the last text put first: sorted all the same.
    SortByTextNoCase(sorted, textOf);
    EXPECT_EQ(sorted, expected);
    ASSERT_LT(CompareNoCase(sorted[sorted.size() - 2].first, sorted.back().first), 0);
    std::rotate(sorted.begin(), sorted.end() - 1, sorted.end());
    SortByTextNoCase(sorted, textOf);
    EXPECT_EQ(sorted, expected);
}

TEST(CompareNoCase, SortByTextKeepsTheOrderOfEqualTexts) {
    std::vector<std::pair<std::string, int>> items = {
        {"b", 0}, {"A", 1}, {"a", 2}, {W("ё"), 3}, {"B", 4}, {W("е"), 5}, {"a", 6}};
    SortByTextNoCase(items, [](const auto& item) -> const std::string& { return item.first; });
    std::vector<int> order;
    for (const auto& item : items) order.push_back(item.second);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 6, 0, 4, 5, 3}));
}

TEST(SmallTexts, BlanksAndRepeats) {
    EXPECT_EQ(DeleteBlanks(" 1 500 руб "), "1500руб");
    EXPECT_EQ(Trim(" \t\x01 a  b\r\n"), "a  b");
    // The exchange formats' trim keeps outer line breaks, which are part of a value there.
    EXPECT_EQ(TrimBlanks(" \t\na b\n\t "), "\na b\n");
    EXPECT_EQ(TrimBlanks(" \t "), "");
    // Bytes past ASCII stay as they are, though code page 1251 would fold them.
    EXPECT_EQ(UpperAscii("begin:vCard \xE0\xB8"), "BEGIN:VCARD \xE0\xB8");
    EXPECT_EQ(LowerAscii("MailTo:Z \xC0\xA8"), "mailto:z \xC0\xA8");
    EXPECT_EQ(RepeatChar('-', 3), "---");
    EXPECT_EQ(RepeatChar('-', 0), "");
    EXPECT_EQ(RepeatChar('-', -2), "");
}

TEST(DesktopTargets, MailAddressCarriesNoHeaderFields) {
    const struct {
        const char* stored;
        const char* target;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"a@b.ru", "mailto:a@b.ru"},
        {"  a@b.ru \t", "mailto:a@b.ru"},
        {"mailto:a@b.ru", "mailto:a@b.ru"},
        {"MailTo: a@b.ru", "mailto:a@b.ru"},
        {"mailto:", ""},
        {"a@b.ru?attach=/home/u/.ssh/id_rsa", "mailto:a@b.ru%3Fattach=/home/u/.ssh/id_rsa"},
        {"a@b.ru&cc=c@d.ru#x", "mailto:a@b.ru%26cc=c@d.ru%23x"},
        {"a@b.ru\nBcc: c@d.ru", ""},
        {"a@b\x7f.ru", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(MailTarget(c.stored), c.target) << c.stored;
    // Code page 1251 letters are text, not control characters.
    EXPECT_EQ(MailTarget("\xe8\xe2\xe0\xed@x.ru"), "mailto:\xe8\xe2\xe0\xed@x.ru");
}

TEST(DesktopTargets, WebAddressOpensOnlyWebPages) {
    const struct {
        const char* stored;
        const char* target;
    } cases[] = {
        {"", ""},
        {"http://x.ru", "http://x.ru"},
        {"https://x.ru/a?b=c", "https://x.ru/a?b=c"},
        {"HTTPS://X.RU", "HTTPS://X.RU"},
        {" http://x.ru ", "http://x.ru"},
        {"www.x.ru", "http://www.x.ru"},
        {"x.ru/page", "http://x.ru/page"},
        {"localhost:8080", "http://localhost:8080"},
        {"x.ru:8080/a", "http://x.ru:8080/a"},
        {"file:///etc/passwd", ""},
        {"data:text/html,<b>x</b>", ""},
        {"javascript:alert(1)", ""},
        {"ftp://x.ru", ""},
        {"smb://server/share", ""},
        {"http+x://y", ""},
        {"x:", ""},
        {"C:\\Windows", ""},
        {"http://x.ru\r\nHost: y", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(WebTarget(c.stored), c.target) << c.stored;
}

TEST(AppDir, IsTheFolderOfTheRunningProgram) {
    const std::string dir = AppDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(dir.front(), '/');
}

}  // namespace
}  // namespace pomix
