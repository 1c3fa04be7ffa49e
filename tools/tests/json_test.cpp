#include "json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace pomix::tool {
namespace {

TEST(JsonString, EscapesWhatJsonForbidsAndKeepsTheRest) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"", R"("")"},
        {"plain text", R"("plain text")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\Data\\Note.dat", R"("C:\\Data\\Note.dat")"},
        {"line1\r\nline2\tend", R"("line1\r\nline2\tend")"},
        {std::string("\x01\x1f\0", 3), R"("\u0001\u001f\u0000")"},
        {"/ and \x7f stay", "\"/ and \x7f stay\""},
        {"\xD0\x9F\xD1\x80\xD0\xB8", "\"\xD0\x9F\xD1\x80\xD0\xB8\""},  // UTF-8 passes whole
    };
    for (const auto& c : cases) EXPECT_EQ(JsonString(c.in), c.out);
}

TEST(JsonNumber, ReadsBackAsTheSameDoubleAndNonFiniteIsNull) {
    for (double v : {0.0, 1.0, -2.5, 0.1, 45000.75, 1.0 / 3.0, 2958465.99999999, 1e-300}) {
        const std::string text = JsonNumber(v);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
        EXPECT_EQ(text.find_first_of(", "), std::string::npos) << text;
    }
    EXPECT_EQ(JsonNumber(0.0), "0");
    EXPECT_EQ(JsonNumber(36526), "36526");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(JsonNumber(-std::numeric_limits<double>::infinity()), "null");
}

TEST(JsonObject, MembersInOrderWithTextsConvertedFromCp1251) {
    const std::string object = JsonObject()
                                   .Number("Date", 36526.5)
                                   .Text("Name", "\xCF\xF0\xE8\xE2\xE5\xF2 \"q\"")
                                   .Lines("Memo", {"a", "", "\xB8"})
                                   .Lines("None", {})
                                   .Integer("Count", -3)
                                   .Flag("Done", true)
                                   .Str();
    EXPECT_EQ(object,
              "{\"Date\":36526.5,\"Name\":\"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 "
              "\\\"q\\\"\",\"Memo\":[\"a\",\"\",\"\xD1\x91\"],\"None\":[],\"Count\":-3,"
              "\"Done\":true}");
}

TEST(PrintArray, OneObjectALine) {
    std::ostringstream empty, two;
    PrintArray(empty, {});
    EXPECT_EQ(empty.str(), "[]\n");
    PrintArray(two, {"{}", "{\"a\":1}"});
    EXPECT_EQ(two.str(), "[\n{},\n{\"a\":1}\n]\n");
}

}  // namespace
}  // namespace pomix::tool
