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

TEST(TextFile, WritesUtf8WithCrLfAndReadsBack) {
    const std::string path = TempPath("pomix_text_file_test.txt");
    const std::vector<std::string> lines = {"\xCF\xF0\xE8\xE2\xE5\xF2 \xB9", "", "ascii"};
    WriteTextFileLines(path, lines);
    const Bytes raw = ReadFileBytes(path);
    EXPECT_EQ(std::string(raw.begin(), raw.end()), "Привет №\r\n\r\nascii\r\n");
    EXPECT_EQ(ReadTextFileLines(path), lines);
    std::remove(path.c_str());
}

// What earlier versions and other programs wrote keeps reading; what is no text is refused
// before a memo is touched.
TEST(TextFile, ReadsUtf8And1251AndRefusesBinaries) {
    const std::string path = TempPath("pomix_text_file_kinds.txt");
    const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2";
    const std::string nulAt = [] {
        std::string s(kTextProbeSize, 'a');
        s[kTextProbeSize - 1] = '\0';
        return s;
    }();
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;  // empty: refused as not text
    };
    const Case cases[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBFПривет\nмир\n", {privet, "\xEC\xE8\xF0"}},
        {"UTF-8", "Привет\r\n", {privet}},
        {"code page 1251", privet + "\r\n", {privet}},
        {"NUL first", std::string("\0PNG", 4), {}},
        {"NUL at the probe's last byte", nulAt, {}},
        {"NUL past the probe", "a" + nulAt, {"a" + nulAt}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRaw(path, c.bytes);
        if (c.lines.empty()) {
            EXPECT_THROW(ReadTextFileLines(path), ENotTextFile);
        } else {
            EXPECT_EQ(ReadTextFileLines(path), c.lines);
        }
    }
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
    EXPECT_THROW(ReadTextFileLines(path), ENotTextFile);  // NUL bytes, but not too large
    std::filesystem::resize_file(path, kMaxTextFileSize + 1);
    EXPECT_THROW(ReadTextFileLines(path), EFileTooLarge);
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
