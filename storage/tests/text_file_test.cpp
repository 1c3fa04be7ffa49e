#include "storage/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "storage/errors.h"
#include "storage/stream.h"

namespace pomix {
namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void WriteRaw(const std::string& path, const std::string& bytes) {
    FileStream f(path, FileStream::Mode::Create);
    f.Write(bytes.data(), bytes.size());
    f.Close();
}

TEST(TextFile, LineEndsOfEveryKind) {
    using L = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (L{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (L{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (L{"a", ""}));
    EXPECT_EQ(SplitLines(""), L{});
}

TEST(TextFile, WritesCp1251WithCrLfAndReadsBack) {
    const std::string path = TempPath("pomix_text_file_test.txt");
    const std::vector<std::string> lines = {"\xCF\xF0\xE8\xE2\xE5\xF2", "", "ascii"};
    WriteTextFileLines(path, lines);
    const Bytes raw = ReadFileBytes(path);
    EXPECT_EQ(std::string(raw.begin(), raw.end()), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\r\nascii\r\n");
    EXPECT_EQ(ReadTextFileLines(path), lines);
    std::remove(path.c_str());
}

TEST(TextFile, Utf8FilesAreConverted) {
    const std::string path = TempPath("pomix_text_file_utf8.txt");
    WriteRaw(path, "\xEF\xBB\xBFПривет\nмир\n");
    EXPECT_EQ(ReadTextFileLines(path),
              (std::vector<std::string>{"\xCF\xF0\xE8\xE2\xE5\xF2", "\xEC\xE8\xF0"}));
    std::remove(path.c_str());
}

TEST(TextFile, MissingFilesAndFoldersAreErrors) {
    EXPECT_THROW(ReadTextFileLines("/nonexistent/pomix.txt"), EFileError);
    EXPECT_THROW(WriteTextFileLines("/nonexistent/pomix.txt", {"x"}), EFileError);
}

// A memo is filled from a short text: a huge file or something that is no file at all (a
// pipe would block the window until its writer ends) is refused before anything is read.
TEST(TextFile, OnlyRegularFilesUpToTheLimitAreRead) {
    const std::string path = TempPath("pomix_text_file_limit.txt");
    WriteRaw(path, "");
    std::filesystem::resize_file(path, kMaxTextFileSize);
    EXPECT_EQ(ReadTextFileLines(path).size(), 1u);  // one line of NUL bytes
    std::filesystem::resize_file(path, kMaxTextFileSize + 1);
    EXPECT_THROW(ReadTextFileLines(path), EFileError);
    std::remove(path.c_str());
    EXPECT_THROW(ReadTextFileLines(std::filesystem::temp_directory_path().string()), EFileError);
    const std::string fifo = TempPath("pomix_text_file_fifo");
    std::remove(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(ReadTextFileLines(fifo), EFileError);
    std::remove(fifo.c_str());
}

}  // namespace
}  // namespace pomix
