#include "storage/stream.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "storage/errors.h"

namespace pomix {
namespace {

TEST(MemoryStream, WriteGrowsAndReadReturnsWhatIsLeft) {
    MemoryStream s;
    s.WriteValue<std::int32_t>(0x01020304);
    s.Write("ab", 2);
    EXPECT_EQ(s.Size(), 6u);
    s.Seek(0);
    EXPECT_EQ(s.ReadValue<std::int32_t>(), 0x01020304);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, sizeof buf), 2u);
    EXPECT_EQ(std::string(buf, 2), "ab");
    EXPECT_EQ(s.Read(buf, sizeof buf), 0u);
}

TEST(MemoryStream, ReadBufferPastTheEndRaisesAndConsumesNothing) {
    MemoryStream s(std::string("xyz"));
    char buf[4];
    EXPECT_THROW(s.ReadBuffer(buf, 4), EStreamReadError);
    EXPECT_EQ(s.Position(), 0u);
    s.Seek(10);
    EXPECT_EQ(s.Remaining(), 0u);
    EXPECT_THROW(s.ReadValue<std::uint8_t>(), EStreamReadError);
}

// Records are read through a short cut for memory streams; any other stream must read the
// same, and past its end neither may take anything.
TEST(Stream, ReadTextIsTheSameForMemoryAndFileStreams) {
    const std::string path = ::testing::TempDir() + "pomix_stream_read_text.bin";
    {
        FileStream f(path, FileStream::Mode::Create);
        f.Write("hello world", 11);
        f.Close();
    }
    FileStream file(path, FileStream::Mode::Read);
    MemoryStream memory(std::string("hello world"));
    for (Stream* s : {static_cast<Stream*>(&memory), static_cast<Stream*>(&file)}) {
        EXPECT_EQ(s->ReadText(5), "hello");
        EXPECT_EQ(s->ReadText(0), "");
        EXPECT_THROW(s->ReadText(7), EStreamReadError);
        EXPECT_EQ(s->Position(), 5u);
        EXPECT_EQ(s->ReadText(6), " world");
        EXPECT_EQ(s->Remaining(), 0u);
    }
    std::remove(path.c_str());
}

TEST(MemoryStream, WritingAfterASeekPastTheEndFillsWithZeros) {
    MemoryStream s;
    s.Seek(3);
    s.Write("x", 1);
    EXPECT_EQ(s.ToString(), std::string("\0\0\0x", 4));
}

TEST(MemoryStream, CopyFromTakesTheRestOfTheSource) {
    MemoryStream source(std::string(20000, 'q'));
    source.Seek(5);
    MemoryStream target;
    target.CopyFrom(source);
    EXPECT_EQ(target.Size(), 19995u);
    EXPECT_EQ(source.Remaining(), 0u);
}

TEST(FileStream, MissingFileNamesThePath) {
    try {
        FileStream f("/nonexistent/dir/file.dat", FileStream::Mode::Read);
        FAIL() << "opened a missing file";
    } catch (const EFileError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file /nonexistent/dir/file.dat");
    }
    EXPECT_THROW(FileStream("/nonexistent/dir/file.dat", FileStream::Mode::Create), EFileError);
}

}  // namespace
}  // namespace pomix
