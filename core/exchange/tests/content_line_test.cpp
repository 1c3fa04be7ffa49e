#include "core/exchange/content_line.h"

#include <gtest/gtest.h>

#include "storage/cp1251.h"

namespace pomix::dataio {
namespace {

TEST(ContentLines, UnfoldsBlankAndTabContinuationsWhateverTheLineEnds) {
    const auto lines = ReadContentLines("NOTE:one\r\n  two\n\tthree\rFN:x\r\n\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Value,
              "one two"
              "three");
    EXPECT_EQ(lines[1].Name, "FN");
    EXPECT_EQ(lines[1].Value, "x");
    EXPECT_EQ(lines[1].LineNumber, 4u);
}

TEST(ContentLines, QuotedPrintableSoftBreakJoinsTheNextLineWhole) {
    // The next line starts with a blank that belongs to the value, not a fold.
    const auto lines =
        ReadContentLines("NOTE;ENCODING=QUOTED-PRINTABLE:ab=\r\n cd=3D=\r\nef\r\nTEL:1\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(DecodeValue(lines[0]), "ab cd=ef");
    EXPECT_EQ(lines[1].Value, "1");
}

TEST(ContentLines, ParametersGroupsAndBareVersionTwoParameters) {
    const auto lines = ReadContentLines(
        "item1.TEL;TYPE=\"home,voice\";PREF=1:+7 1\r\n"
        "adr;HOME;QUOTED-PRINTABLE;X-LABEL=\"a;b:c\":;;x\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Group, "item1");
    EXPECT_EQ(lines[0].Name, "TEL");
    EXPECT_TRUE(lines[0].HasType("HOME"));
    EXPECT_TRUE(lines[0].HasType("voice"));
    EXPECT_FALSE(lines[0].HasType("work"));
    EXPECT_EQ(lines[0].FirstParam("pref"), "1");
    EXPECT_EQ(lines[1].Name, "ADR");
    EXPECT_TRUE(lines[1].HasType("home"));
    EXPECT_EQ(lines[1].FirstParam("ENCODING"), "QUOTED-PRINTABLE");
    EXPECT_EQ(lines[1].FirstParam("X-LABEL"), "a;b:c");
    EXPECT_EQ(lines[1].Value, ";;x");
}

TEST(ContentLines, MalformedInputIsRefused) {
    const std::string cases[] = {
        "no colon here\r\n",
        ":value without name\r\n",
        "NAME;PARAM=\"open:value\r\n",
        std::string("FN:a\0b\r\n", 8),
        "\x89PNG\x1a\x0b\xff\xfe garbage",
    };
    for (const std::string& text : cases) {
        EXPECT_THROW(ReadContentLines(text), FormatError) << text;
    }
    EXPECT_THROW(ReadContentLines("NOTE:" + std::string(kMaxLineBytes + 1, 'a')), FormatError);
    // Folded pieces count toward the same line.
    std::string folded = "NOTE:";
    for (std::size_t i = 0; i < kMaxLineBytes / 1000 + 2; ++i)
        folded += std::string(1000, 'b') + "\r\n ";
    EXPECT_THROW(ReadContentLines(folded), FormatError);
}

TEST(Components, NestedBlocksKeepTheirOwnProperties) {
    const auto blocks = ReadComponents(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nSUMMARY:a\r\nBEGIN:VALARM\r\n"
        "ACTION:DISPLAY\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:vcalendar\r\n");
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].Children.size(), 1u);
    const Component& event = blocks[0].Children[0];
    EXPECT_EQ(event.Name, "VEVENT");
    ASSERT_NE(event.Find("SUMMARY"), nullptr);
    EXPECT_EQ(blocks[0].Find("SUMMARY"), nullptr);
    ASSERT_EQ(event.Children.size(), 1u);
    EXPECT_EQ(event.Children[0].Name, "VALARM");
}

TEST(Components, ByteOrderMarkAndBlanksAfterBlockNamesAreTolerated) {
    const auto blocks = ReadComponents(
        "\xEF\xBB\xBF"
        "BEGIN:VCARD \r\nN:x\r\nEND:vcard\t\r\n");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].Name, "VCARD");
    EXPECT_EQ(blocks[0].Properties.size(), 1u);
}

TEST(Components, BrokenNestingIsRefused) {
    const std::string cases[] = {
        "BEGIN:VCARD\r\nFN:a\r\n",                   // never ended
        "BEGIN:VCARD\r\nEND:VCALENDAR\r\n",          // ends another block
        "END:VCARD\r\n",                             // closes nothing
        "FN:a\r\nBEGIN:VCARD\r\nEND:VCARD\r\n",      // outside any block
        "BEGIN:A\r\nBEGIN:B\r\nEND:A\r\nEND:B\r\n",  // crossed
    };
    for (const std::string& text : cases) {
        EXPECT_THROW(ReadComponents(text), FormatError) << text;
    }
    std::string deep;
    for (int i = 0; i <= kMaxNesting; ++i) deep += "BEGIN:X\r\n";
    EXPECT_THROW(ReadComponents(deep), FormatError);
}

TEST(Values, CharsetsAndEncodingsEndAsUtf8) {
    const std::string cp1251 = Utf8ToCp1251("Привет");
    struct Case {
        std::string line;
        std::string expected;
    } cases[] = {
        {"N;CHARSET=windows-1251:" + cp1251, "Привет"},
        {"N:" + cp1251, "Привет"},  // unlabelled bytes that are no UTF-8
        {"N:Привет", "Привет"},
        {"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9F=D1=80=D0=B8=D0=B2=D0=B5=D1=82",
         "Привет"},
        {"N;ENCODING=b;CHARSET=utf-8:0J/RgNC40LLQtdGC", "Привет"},
        {"N;CHARSET=ISO-8859-1:caf\xe9", "café"},
    };
    for (const Case& c : cases) {
        const auto lines = ReadContentLines(c.line);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(DecodeValue(lines[0]), c.expected) << c.line;
    }
}

TEST(Values, EscapesRoundTripThroughStructuredSplitting) {
    const std::string text = "a,b;c\\d\nnext";
    const std::string escaped = EscapeText(text);
    EXPECT_EQ(escaped, "a\\,b\\;c\\\\d\\nnext");
    EXPECT_EQ(UnescapeText(escaped), text);
    const auto parts = SplitUnescaped(escaped + ";" + escaped, ';');
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(UnescapeText(parts[1]), text);
}

TEST(Folding, LinesStayWithinSeventyFiveBytesAndUnfoldToTheOriginal) {
    std::string value;
    for (int i = 0; i < 60; ++i) value += i % 3 ? "ж" : "x";  // two-byte characters among one-byte
    value += std::string(200, 'y');
    const std::string folded = FoldLine("NOTE:" + value);
    std::size_t start = 0;
    while (start < folded.size()) {
        const std::size_t end = folded.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 75u);
        // no line starts inside a UTF-8 character (after the fold's blank)
        const std::size_t first = start == 0 ? 0 : start + 1;
        if (first < end) {
            EXPECT_NE(static_cast<unsigned char>(folded[first]) & 0xC0, 0x80);
        }
        start = end + 2;
    }
    const auto lines = ReadContentLines(folded);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Value, value);
}

TEST(Messages, QuotedPiecesStayShortAndOnOneLine) {
    EXPECT_EQ(Quoted("short\r\nline"), "shortline");
    const std::string longText = std::string(59, 'a') + "жжж";
    EXPECT_EQ(Quoted(longText), std::string(59, 'a') + "...");  // no letter cut in half
    try {
        ReadComponents("BEGIN:VCARD\r\nEND:" + std::string(100000, 'X') + "\r\n");
        ADD_FAILURE() << "crossed END accepted";
    } catch (const FormatError& e) {
        EXPECT_LT(std::string(e.what()).size(), 120u);
    }
}

TEST(Decoders, QuotedPrintableAndBase64) {
    EXPECT_EQ(DecodeQuotedPrintable("a=3Db=0D=0Ac=zz"), "a=b\r\nc=zz");
    EXPECT_EQ(DecodeBase64("SGVs\r\n bG8="), "Hello");
    EXPECT_EQ(DecodeBase64(""), "");
    EXPECT_EQ(SplitAtBreaks("a\r\nb\rc\n"), (std::vector<std::string>{"a", "b", "c", ""}));
    EXPECT_EQ(SplitAtBreaks(""), (std::vector<std::string>{""}));
}

}  // namespace
}  // namespace pomix::dataio
