#include "storage/cp1251.h"

#include <gtest/gtest.h>

namespace pomix {
namespace {

TEST(Cp1251, EveryByteSurvivesARoundTripThroughUtf8) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, KnownCharacters) {
    EXPECT_EQ(Utf8ToCp1251("Привет, Ёж №5 — €"),
              "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6 \xB9"
              "5 \x97 \x88");
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF\xB8"), "Аяё");
}

TEST(Cp1251, CharactersOutsideTheCodePageAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a漢b😀c"), "a?b?c");
    EXPECT_EQ(Utf8ToCp1251("x\xC3"), "x?");          // cut sequence at the end
    EXPECT_EQ(Utf8ToCp1251("\xC0\xAFz"), "??z");     // over-long form of "/"
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), "???");  // a surrogate half
}

TEST(Cp1251, UpperAndLowerCaseCoverLatinAndCyrillic) {
    EXPECT_EQ(UpperCase(Utf8ToCp1251("abz ая ё їєіґў 1!")), Utf8ToCp1251("ABZ АЯ Ё ЇЄІҐЎ 1!"));
    EXPECT_EQ(LowerCase(Utf8ToCp1251("ABZ АЯ Ё ЇЄІҐЎ")), Utf8ToCp1251("abz ая ё їєіґў"));
    // Bytes that are not letters stay as they are (the micro sign, the numero sign).
    EXPECT_EQ(UpperCp1251(0xB5), 0xB5);
    EXPECT_EQ(UpperCp1251(0xB9), 0xB9);
}

struct TextFileCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

TEST(Cp1251, TextFilesAreReadAsUtf8OnlyWhenTheyAreValidUtf8WithNonAscii) {
    const TextFileCase cases[] = {
        {"plain ascii", "hello\r\n", "hello\r\n"},
        {"utf8 cyrillic", "Да", "\xC4\xE0"},
        {"bom ascii", "\xEF\xBB\xBFhi", "hi"},
        {"cp1251 cyrillic", "\xC4\xE0", "\xC4\xE0"},
        {"cp1251 that is not utf8", "\xD0\xEE", "\xD0\xEE"},
    };
    for (const auto& c : cases) EXPECT_EQ(TextFileToCp1251(c.bytes), c.expected) << c.name;
}

}  // namespace
}  // namespace pomix
