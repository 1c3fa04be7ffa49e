#include "storage/field_codec.h"

#include <gtest/gtest.h>

#include "storage/errors.h"

namespace pomix {
namespace {

std::string Written(const std::function<void(Stream&)>& write) {
    MemoryStream s;
    write(s);
    return s.ToString();
}

std::string Bytes4(std::int32_t v) {
    return std::string(reinterpret_cast<char*>(&v), 4);
}

TEST(FieldCodec, TextFieldWireForms) {
    EXPECT_EQ(Written([](Stream& s) { WriteStr("", s); }), Bytes4(0));
    EXPECT_EQ(Written([](Stream& s) { WriteStr("x", s); }), std::string("\1\0\0\0\0x", 6));
    EXPECT_EQ(Written([](Stream& s) { WriteStrList({}, s); }), Bytes4(-1));
    EXPECT_EQ(Written([](Stream& s) { WriteStrList({""}, s); }), Bytes4(0) + Bytes4(0));
    EXPECT_EQ(Written([](Stream& s) {
                  WriteStrList({"a", "b"}, s);
              }),
              Bytes4(1) + std::string("\1\0\0\0\0a\1\0\0\0\0b", 12));
}

TEST(FieldCodec, ReadingConsumesExactlyTheField) {
    MemoryStream s(Bytes4(-5) + std::string("\1\0\0\0\x7Fz", 6) + "tail");
    EXPECT_EQ(ReadStr(s), "");
    EXPECT_EQ(s.Position(), 4u);
    EXPECT_EQ(ReadStr(s), "z");  // the filler byte is ignored, whatever it holds
    EXPECT_EQ(s.Position(), 10u);
}

TEST(FieldCodec, RoundTripKeepsEveryByte) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const StrList list = {all, "", "\xC0\xE1\xE2"};
    MemoryStream s;
    WriteStr(all, s);
    WriteStrList(list, s);
    s.Seek(0);
    EXPECT_EQ(ReadStr(s), all);
    EXPECT_EQ(ReadStrList(s), list);
    EXPECT_EQ(s.Remaining(), 0u);
}

TEST(FieldCodec, NegativeCountReadsAsEmptyList) {
    MemoryStream s(Bytes4(-7));
    EXPECT_TRUE(ReadStrList(s).empty());
}

TEST(FieldCodec, LengthsBeyondTheStreamAreErrorsNotReads) {
    struct Case {
        const char* name;
        std::string bytes;
        bool list;
    };
    const Case cases[] = {
        {"huge text length", Bytes4(0x7FFFFFFF) + std::string("\0abc", 4), false},
        {"text one byte short", Bytes4(4) + std::string("\0abc", 4), false},
        {"filler missing", Bytes4(1), false},
        {"length cut", std::string("\1\0", 2), false},
        {"huge list count", Bytes4(0x7FFFFFFE) + Bytes4(0), true},
        {"list item missing", Bytes4(1) + Bytes4(0), true},
    };
    for (const auto& c : cases) {
        MemoryStream s(c.bytes);
        if (c.list) {
            EXPECT_THROW(ReadStrList(s), EStreamReadError) << c.name;
        } else {
            EXPECT_THROW(ReadStr(s), EStreamReadError) << c.name;
        }
    }
}

}  // namespace
}  // namespace pomix
