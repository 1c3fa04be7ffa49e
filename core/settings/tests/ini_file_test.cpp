#include "core/settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/tests/scratch_dir.h"
#include "storage/errors.h"

namespace pomix {
namespace {

using testing::FileContents;
using testing::ScratchDir;
using testing::WriteFileContents;

const char kSample[] =
    "; comment at the top\r\n"
    "[MainForm]\r\n"
    "FormVersion=0\r\n"
    "StaticButton1_Caption = \xC5\xE6\xE5\xE4\xED\xE5\xE2\xED\xE8\xEA \r\n"
    "Quoted=\"  kept blanks \"\r\n"
    "# another comment\r\n"
    "\r\n"
    "[Unknown]\r\n"
    "Key=Value\r\n";

TEST(IniFile, ReadsValuesWithCaseIgnoredAndDefaults) {
    ScratchDir folder;
    const std::string path = folder.File("a.lng");
    WriteFileContents(path, kSample);
    const IniFile file(path);
    const struct {
        const char* section;
        const char* key;
        std::string expected;
    } cases[] = {
        {"MainForm", "StaticButton1_Caption", "\xC5\xE6\xE5\xE4\xED\xE5\xE2\xED\xE8\xEA"},
        {"mainform", "STATICBUTTON1_CAPTION", "\xC5\xE6\xE5\xE4\xED\xE5\xE2\xED\xE8\xEA"},
        {"MainForm", "Quoted", "  kept blanks "},
        {"MainForm", "Missing", "default"},
        {"Nowhere", "Key", "default"},
        {"UNKNOWN", "key", "Value"},
        {"MainForm", "# another comment", "default"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(file.ReadString(c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
    }
    EXPECT_EQ(file.ReadInteger("MainForm", "FormVersion", 7), 0);
    EXPECT_EQ(file.ReadInteger("Unknown", "Key", 7), 7);  // not a number
    EXPECT_TRUE(file.SectionExists("unknown"));
    EXPECT_FALSE(file.SectionExists("Nowhere"));
}

TEST(IniFile, ReadIntegerTakesOnlyWholeNumbers) {
    ScratchDir folder;
    const std::string path = folder.File("n.ini");
    WriteFileContents(path, "[S]\nA=12\nB=-3\nC=+4\nD=5x\nE=\nF=99999999999\n");
    const IniFile file(path);
    EXPECT_EQ(file.ReadInteger("S", "A", 0), 12);
    EXPECT_EQ(file.ReadInteger("S", "B", 0), -3);
    EXPECT_EQ(file.ReadInteger("S", "C", 0), 4);
    EXPECT_EQ(file.ReadInteger("S", "D", -1), -1);
    EXPECT_EQ(file.ReadInteger("S", "E", -1), -1);
    EXPECT_EQ(file.ReadInteger("S", "F", -1), -1);
}

TEST(IniFile, WritesReachTheFileAtOnceAndKeepTheRest) {
    ScratchDir folder;
    const std::string path = folder.File("a.lng");
    WriteFileContents(path, kSample);
    IniFile file(path);
    file.WriteString("MAINFORM", "staticbutton1_caption", "New");
    file.WriteString("MainForm", "Text2_Caption", "Added");
    file.WriteString("Fresh", "K", "V");

    const IniFile reread(path);
    EXPECT_EQ(reread.ReadString("MainForm", "StaticButton1_Caption", ""), "New");
    EXPECT_EQ(reread.ReadString("MainForm", "Text2_Caption", ""), "Added");
    EXPECT_EQ(reread.ReadString("Fresh", "K", ""), "V");
    EXPECT_EQ(reread.ReadString("Unknown", "Key", ""), "Value");
    const std::string text = FileContents(path);
    EXPECT_NE(text.find("; comment at the top\r\n"), std::string::npos);
    EXPECT_NE(text.find("# another comment\r\n"), std::string::npos);
    // The new key joins its section before the blank line that ends it.
    EXPECT_NE(text.find("# another comment\r\nText2_Caption=Added\r\n\r\n[Unknown]"), std::string::npos);
    EXPECT_EQ(text.find("\n\n"), std::string::npos);  // CR LF kept throughout
}

TEST(IniFile, KeepsLineFeedEndingsOfAFileThatUsesThem) {
    ScratchDir folder;
    const std::string path = folder.File("lf.ini");
    WriteFileContents(path, "[A]\nx=1\n");
    IniFile(path).WriteString("A", "y", "2");
    EXPECT_EQ(FileContents(path), "[A]\nx=1\ny=2\n");
}

TEST(IniFile, EraseSectionRemovesItsKeysOnly) {
    ScratchDir folder;
    const std::string path = folder.File("a.lng");
    WriteFileContents(path, "[SetupForm]\r\nFormVersion=0\r\n[SetupForm.ComboBox1_Items]\r\nCount=2\r\nItem0=a\r\nItem1=b\r\n"
                   "[Other]\r\nk=v\r\n");
    IniFile file(path);
    file.EraseSection("setupform.combobox1_items");
    const IniFile reread(path);
    EXPECT_FALSE(reread.SectionExists("SetupForm.ComboBox1_Items"));
    EXPECT_EQ(reread.ReadString("SetupForm", "FormVersion", "x"), "0");
    EXPECT_EQ(reread.ReadString("Other", "k", ""), "v");
}

TEST(IniFile, MissingFileIsCreatedByTheFirstWrite) {
    ScratchDir folder;
    const std::string path = folder.File("new.lng");
    IniFile file(path);
    EXPECT_EQ(file.ReadString("A", "b", "d"), "d");
    file.WriteInteger("A", "b", 5);
    EXPECT_EQ(FileContents(path), "[A]\r\nb=5\r\n");
}

TEST(IniFile, ReadOnlyFileIsReportedAndLeftAsItWas) {
    ScratchDir folder;
    const std::string path = folder.File("ro.lng");
    WriteFileContents(path, "[A]\r\nb=1\r\n");
    ::chmod(path.c_str(), 0444);
    IniFile file(path);
    try {
        file.WriteString("A", "b", "2");
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(FileContents(path), "[A]\r\nb=1\r\n");
}

TEST(IniFile, WriteIntoAMissingFolderIsReported) {
    ScratchDir folder;
    IniFile file(folder.File("no/such/folder.lng"));
    EXPECT_THROW(file.WriteString("A", "b", "c"), EFileError);
}

TEST(IniFile, ByteOrderMarkIsSkipped) {
    ScratchDir folder;
    const std::string path = folder.File("bom.lng");
    WriteFileContents(path, "\xEF\xBB\xBF[MainForm]\r\nText2_Caption=X\r\n");
    IniFile file(path);
    EXPECT_EQ(file.ReadString("MainForm", "Text2_Caption", "?"), "X");
    file.WriteString("MainForm", "Button1_Caption", "Y");
    EXPECT_EQ(FileContents(path), "[MainForm]\r\nText2_Caption=X\r\nButton1_Caption=Y\r\n");
}

// A rewrite must settle at once: writing the same values again gives the same bytes, or a
// dictionary changes a little every time the program closes.
TEST(IniFile, OddFilesSettleAfterOneRewrite) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"doubled mark", "\xEF\xBB\xBF\xEF\xBB\xBF[A]\r\nb=1\r\n"},
        {"CR kept in a file of LF lines", "[A]\nnote=x\r\nother\r\r\n"},
        {"one bare LF among CR LF lines", "[A]\r\nb=1\nc\r\r\n"},
        {"bare CR inside a line", "[A]\r\nb=1\rc=2\r\n"},
        {"no line end at all", "[A]"},
    };
    for (const auto& c : cases) {
        ScratchDir folder;
        const std::string path = folder.File("odd.lng");
        WriteFileContents(path, c.text);
        IniFile(path).WriteString("A", "k", "v");
        const std::string once = FileContents(path);
        IniFile(path).WriteString("A", "k", "v");
        EXPECT_EQ(FileContents(path), once) << c.name;
        EXPECT_EQ(IniFile(path).ReadString("A", "k", "?"), "v") << c.name;
    }
}

// The first line alone used to choose the ending: once a rewrite removed it, the next rewrite
// turned every bare LF into CR LF.
TEST(IniFile, LineEndingStaysWhenTheFirstLineIsRemoved) {
    ScratchDir folder;
    const std::string path = folder.File("mixed.lng");
    WriteFileContents(path, "[L]\nItem0=a\n[A]\r\nb=1\r\n");
    IniFile(path).WriteSection("L", {{"Count", "0"}});
    const std::string once = FileContents(path);
    EXPECT_EQ(once, "[A]\r\nb=1\r\n\n[L]\nCount=0\n");
    IniFile(path).WriteSection("L", {{"Count", "0"}});
    EXPECT_EQ(FileContents(path), once);
}

TEST(IniFile, DoubledByteOrderMarkIsSkippedWhole) {
    ScratchDir folder;
    const std::string path = folder.File("bom.lng");
    WriteFileContents(path, "\xEF\xBB\xBF\xEF\xBB\xBF[MainForm]\r\nText2_Caption=X\r\n");
    IniFile file(path);
    EXPECT_EQ(file.ReadString("MainForm", "Text2_Caption", "?"), "X");
    file.WriteString("MainForm", "Text2_Caption", "Y");
    EXPECT_EQ(FileContents(path), "[MainForm]\r\nText2_Caption=Y\r\n");
}

TEST(IniFile, RepeatedSectionsAreErasedTogether) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    std::string text = "; top\n";
    for (int i = 0; i < 3000; ++i) text += "[L]\nItem0=" + std::to_string(i) + "\n[Keep" + std::to_string(i) + "]\n";
    WriteFileContents(path, text);
    IniFile file(path);
    file.EraseSection("l");
    const IniFile reread(path);
    EXPECT_FALSE(reread.SectionExists("L"));
    EXPECT_TRUE(reread.SectionExists("Keep0"));
    EXPECT_TRUE(reread.SectionExists("Keep2999"));
    EXPECT_EQ(FileContents(path).rfind("; top\n[Keep0]\n[Keep1]\n", 0), 0u);
}

TEST(IniFile, SectionIsReadAndWrittenWhole) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[L]\r\n; note\r\nCount = 2\r\nItem0=\" a \"\r\ncount=9\r\n[Next]\r\nx=1\r\n[L]\r\nItem1=b\r\n");
    IniFile file(path);
    const IniFile::Entries expected{{"Count", "2"}, {"Item0", " a "}, {"count", "9"}};
    EXPECT_EQ(file.ReadSection("l"), expected);
    EXPECT_TRUE(file.ReadSection("None").empty());

    file.WriteSection("L", {{"Count", "1"}, {"Item0", " z "}});
    EXPECT_EQ(FileContents(path), "[Next]\r\nx=1\r\n\r\n[L]\r\nCount=1\r\nItem0=\" z \"\r\n");
}

TEST(IniFile, LineBreaksInValuesAreWrittenAsBlanks) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    IniFile file(path);
    file.WriteString("A", "k", "one\r\ntwo\nthree");
    file.WriteString("A", "next", "1");
    IniFile again(path);
    EXPECT_EQ(again.ReadString("A", "k", "?"), "one  two three");
    EXPECT_EQ(again.ReadString("A", "next", "?"), "1");
    EXPECT_EQ(FileContents(path), "[A]\r\nk=one  two three\r\nnext=1\r\n");
}

TEST(IniFile, EveryValueReadsBackAsWritten) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    IniFile file(path);
    const std::pair<const char*, std::string> values[] = {
        {"k0", "plain"}, {"k1", " blanks "}, {"k2", "\"quoted\""}, {"k3", "\""},
        {"k4", "\"\""},  {"k5", "a\"b"},     {"k6", "\ttab"},      {"k7", ""}};
    for (const auto& [key, value] : values) file.WriteString("A", key, value);
    const IniFile again(path);
    for (const auto& [key, value] : values) EXPECT_EQ(again.ReadString("A", key, "?"), value) << key;
    EXPECT_NE(FileContents(path).find("k0=plain\r\n"), std::string::npos);  // quotes only where needed
}

TEST(IniFile, RewriteLeavesNoTemporaryFileAndKeepsTheMode) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[A]\r\n");
    ::chmod(path.c_str(), 0640);
    IniFile file(path);
    file.WriteString("A", "b", "c");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) ++files;
    EXPECT_EQ(files, 1u);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(IniFile, HeldWritesReachTheFileOnlyAtFlush) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[A]\r\nb=1\r\n");
    IniFile file(path);
    file.HoldWrites(true);
    file.WriteString("A", "b", "2");
    file.EraseSection("A");
    file.WriteString("C", "d", "3");
    EXPECT_EQ(FileContents(path), "[A]\r\nb=1\r\n");
    file.Flush();
    EXPECT_EQ(FileContents(path), "[C]\r\nd=3\r\n");
}

TEST(IniFile, OnlyTextFilesUpToOneMegabyteAreDictionaries) {
    ScratchDir folder;
    const std::string text = folder.File("text.lng"), nul = folder.File("nul.lng"), big = folder.File("big.lng");
    WriteFileContents(text, "[A]\r\nb=\xE0\r\n");
    WriteFileContents(nul, std::string("[A]\r\nb=1\0\r\n", 10));
    WriteFileContents(big, std::string(IniFile::kMaxSize + 1, 'x'));
    EXPECT_TRUE(IniFile::IsIniFile(text));
    EXPECT_FALSE(IniFile::IsIniFile(nul));
    EXPECT_FALSE(IniFile::IsIniFile(big));
    EXPECT_FALSE(IniFile::IsIniFile(folder.File("missing.lng")));
    EXPECT_FALSE(IniFile::IsIniFile(folder.Path()));
    WriteFileContents(big, std::string(IniFile::kMaxSize, 'x'));
    EXPECT_TRUE(IniFile::IsIniFile(big));
}

}  // namespace
}  // namespace pomix
