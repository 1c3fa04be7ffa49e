#include "storage/field_codec.h"

#include <gtest/gtest.h>

#include <memory>

#include "storage/errors.h"
#include "storage/tests/scratch_dir.h"

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

// Bytes that have all arrived, for reading through an arriving view.
class Arrived final : public Arrivals {
public:
    explicit Arrived(const std::string& bytes) : bytes_(bytes.begin(), bytes.end()) {}
    const std::uint8_t* Data() const override { return bytes_.data(); }
    std::size_t WaitFor(std::size_t) override { return bytes_.size(); }

private:
    Bytes bytes_;
};

// Memory and arriving views hand their bytes over in place, a file copies them: the fields
// and what they consume are the same from each, also when read into fields that held more.
TEST(FieldCodec, EveryKindOfStreamReadsTheSameFields) {
    const std::string longText(40, 'x');
    const StrList list = {longText, "", "ab"};
    const std::string bytes = Written([&](Stream& s) {
        WriteStr("z", s);
        WriteStr("", s);
        WriteStrList(list, s);
        WriteStrList({}, s);
        s.Write("tail", 4);
    });
    testing::ScratchDir dir;
    const std::string path = dir.File("fields");
    {
        FileStream file(path, FileStream::Mode::Create);
        file.Write(bytes.data(), bytes.size());
    }
    Arrived arrived(bytes);
    for (int kind = 0; kind < 3; ++kind) {
        std::unique_ptr<Stream> s;
        if (kind == 0) s = std::make_unique<MemoryStream>(bytes);
        if (kind == 1) s = std::make_unique<FileStream>(path, FileStream::Mode::Read);
        if (kind == 2) s = std::make_unique<ArrivingStream>(arrived, 0, bytes.size());
        std::string text = longText;
        StrList lines = {"old", "old", "old", "old"};
        ReadStr(*s, text);
        EXPECT_EQ(text, "z") << kind;
        ReadStr(*s, text);
        EXPECT_EQ(text, "") << kind;
        ReadStrList(*s, lines);
        EXPECT_EQ(lines, list) << kind;
        ReadStrList(*s, lines);
        EXPECT_TRUE(lines.empty()) << kind;
        EXPECT_EQ(s->Remaining(), 4u) << kind;
    }
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
