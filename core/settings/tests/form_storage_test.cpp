#include "core/settings/form_storage.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "core/settings/ini_file.h"
#include "core/settings/program_files.h"
#include "storage/tests/scratch_dir.h"
#include "storage/errors.h"

namespace pomix {
namespace {

using testing::FileContents;
using testing::ScratchDir;
using testing::WriteFileContents;

// A window with a few controls: texts keyed "Control.Property", lists likewise.
class FakeWindow : public DictionaryTarget {
public:
    std::map<std::string, std::string> texts;
    std::map<std::string, StrList> lists;

    bool GetText(const std::string& c, const std::string& p, std::string& text) override {
        auto it = texts.find(c + "." + p);
        if (it == texts.end()) return false;
        text = it->second;
        return true;
    }
    bool SetText(const std::string& c, const std::string& p, const std::string& text) override {
        auto it = texts.find(c + "." + p);
        if (it == texts.end()) return false;
        it->second = text;
        return true;
    }
    bool GetLines(const std::string& c, const std::string& p, StrList& lines) override {
        auto it = lists.find(c + "." + p);
        if (it == lists.end()) return false;
        lines = it->second;
        return true;
    }
    bool SetLines(const std::string& c, const std::string& p, const StrList& lines) override {
        auto it = lists.find(c + "." + p);
        if (it == lists.end()) return false;
        it->second = lines;
        return true;
    }
};

FakeWindow SetupWindow() {
    FakeWindow w;
    w.texts = {{"Label1.Caption", " Pomix "}, {"Label2.Caption", "Version"}, {"Button1.Hint", "Save"}};
    w.lists = {{"ComboBox1.Items", {}}};
    return w;
}

TFormStorage SetupStorage() {
    return TFormStorage("SetupForm", {"Label1.Caption", "Label2.Caption", " Button1 . Hint ", "ComboBox1.Items",
                                      "Missing.Caption", "Label1.Colour", ".Caption", "NoDot"});
}

// The setup window as it is after reading the dictionary at path.
FakeWindow ReadSetupWindow(const std::string& path) {
    FakeWindow w = SetupWindow();
    TFormStorage storage = SetupStorage();
    storage.Bind(path);
    storage.Read(w);
    return w;
}

TEST(FormStorage, ReadReplacesOnlyTheKeysPresentAndTrims) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[setupform]\r\nLABEL2_caption=  \xC2\xE5\xF0\xF1\xE8\xFF 1.1  \r\nMissing_Caption=x\r\n"
                   "[SetupForm.ComboBox1_Items]\r\ncount=3\r\nItem0=A\r\nItem2=C\r\n");
    FakeWindow w = ReadSetupWindow(path);
    EXPECT_EQ(w.texts["Label1.Caption"], "Pomix");  // absent: kept, trimmed
    EXPECT_EQ(w.texts["Label2.Caption"], "\xC2\xE5\xF0\xF1\xE8\xFF 1.1");
    EXPECT_EQ(w.texts["Button1.Hint"], "Save");
    EXPECT_EQ(w.lists["ComboBox1.Items"], (StrList{"A", "", "C"}));  // absent item: empty line
}

TEST(FormStorage, CountZeroOrNoListSectionLeavesTheLines) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    for (const char* text : {"[SetupForm.ComboBox1_Items]\r\nCount=0\r\nItem0=A\r\n", "[SetupForm]\r\n",
                             "[SetupForm.ComboBox1_Items]\r\nCount=-5\r\n"}) {
        WriteFileContents(path, text);
        FakeWindow w = SetupWindow();
        w.lists["ComboBox1.Items"] = {"keep"};
        TFormStorage storage = SetupStorage();
        storage.Bind(path);
        storage.Read(w);
        EXPECT_EQ(w.lists["ComboBox1.Items"], StrList{"keep"}) << text;
    }
}

TEST(FormStorage, NegativeFormVersionReadsNothing) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[SetupForm]\r\nFormVersion=-1\r\nLabel2_Caption=X\r\n");
    FakeWindow w = ReadSetupWindow(path);
    EXPECT_EQ(w.texts["Label2.Caption"], "Version");
    EXPECT_EQ(w.texts["Label1.Caption"], " Pomix ");
}

TEST(FormStorage, LongValuesAreCutAndHugeCountsBounded) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[SetupForm]\r\nLabel2_Caption=" + std::string(5000, 'x') +
                       "\r\n[SetupForm.ComboBox1_Items]\r\nCount=2147483647\r\nItem0=A\r\n");
    FakeWindow w = ReadSetupWindow(path);
    EXPECT_EQ(w.texts["Label2.Caption"], std::string(kMaxDictionaryValue, 'x'));
    ASSERT_EQ(w.lists["ComboBox1.Items"].size(), static_cast<std::size_t>(kMaxDictionaryLines));
    EXPECT_EQ(w.lists["ComboBox1.Items"][0], "A");
}

TEST(FormStorage, ListLinesAreTakenByTheirExactKeys) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[SetupForm.ComboBox1_Items]\r\nCount=4\r\nITEM2=c\r\nItem0=a\r\nItem0=second\r\n"
                            "Item01=x\r\nItem-1=y\r\nItem4=beyond\r\nItem=z\r\n");
    FakeWindow w = ReadSetupWindow(path);
    EXPECT_EQ(w.lists["ComboBox1.Items"], (StrList{"a", "", "c", ""}));
}

TEST(FormStorage, ListOfTheLargestSizeRoundTrips) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "; mine\r\n");
    FakeWindow w = SetupWindow();
    TFormStorage storage = SetupStorage();
    storage.Bind(path);
    storage.Read(w);
    StrList lines;
    for (int i = 0; i < kMaxDictionaryLines; ++i) lines.push_back("line " + std::to_string(i));
    w.lists["ComboBox1.Items"] = lines;
    storage.WriteBack(w);
    const std::string once = FileContents(path);

    FakeWindow reread = SetupWindow();
    TFormStorage again = SetupStorage();
    again.Bind(path);
    again.Read(reread);
    EXPECT_EQ(reread.lists["ComboBox1.Items"], lines);
    again.WriteBack(reread);
    EXPECT_EQ(FileContents(path), once);
}

TEST(FormStorage, WriteBackOnlyAfterARead) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "; mine\r\n");
    FakeWindow w = SetupWindow();
    TFormStorage storage = SetupStorage();
    storage.Bind(path);
    storage.WriteBack(w);  // never shown
    EXPECT_EQ(FileContents(path), "; mine\r\n");

    storage.Read(w);
    w.texts["Label2.Caption"] = "  Changed  ";
    w.lists["ComboBox1.Items"] = {"One", "Two"};
    storage.WriteBack(w);
    const IniFile file(path);
    EXPECT_EQ(file.ReadString("SetupForm", "FormVersion", "?"), "0");
    EXPECT_EQ(file.ReadString("SetupForm", "Label1_Caption", "?"), "Pomix");
    EXPECT_EQ(file.ReadString("SetupForm", "Label2_Caption", "?"), "Changed");
    EXPECT_EQ(file.ReadString("SetupForm", "Button1_Hint", "?"), "Save");
    EXPECT_EQ(file.ReadString("SetupForm.ComboBox1_Items", "Count", "?"), "2");
    EXPECT_EQ(file.ReadString("SetupForm.ComboBox1_Items", "Item1", "?"), "Two");
    EXPECT_EQ(file.ReadString("SetupForm", "Missing_Caption", "?"), "?");
    EXPECT_NE(FileContents(path).find("; mine"), std::string::npos);
}

TEST(FormStorage, EmptyListErasesItsSectionAtWriteBack) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[SetupForm.ComboBox1_Items]\r\nCount=1\r\nItem0=A\r\nStale=1\r\n");
    FakeWindow w = SetupWindow();
    TFormStorage storage = SetupStorage();
    storage.Bind(path);
    storage.Read(w);
    w.lists["ComboBox1.Items"].clear();
    storage.WriteBack(w);
    EXPECT_FALSE(IniFile(path).SectionExists("SetupForm.ComboBox1_Items"));
}

TEST(FormStorage, InactiveBindingNeitherReadsNorWrites) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "[SetupForm]\r\nLabel2_Caption=X\r\n");
    FakeWindow w = SetupWindow();
    TFormStorage storage = SetupStorage();
    storage.Bind(path);
    storage.Deactivate();
    storage.Read(w);
    storage.WriteBack(w);
    EXPECT_EQ(w.texts["Label2.Caption"], "Version");
    EXPECT_EQ(FileContents(path), "[SetupForm]\r\nLabel2_Caption=X\r\n");
}

TEST(FormStorage, UnwritableDictionaryIsReported) {
    ScratchDir folder;
    const std::string path = folder.File("gone/d.lng");
    FakeWindow w = SetupWindow();
    TFormStorage storage = SetupStorage();
    storage.Bind(path);
    storage.Read(w);  // a missing file reads as empty
    try {
        storage.WriteBack(w);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
}

TEST(FormStorage, NegativeFormVersionSectionIsNeverWrittenBack) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    const std::string text = "[SetupForm]\r\nFormVersion=-1\r\nLabel2_Caption=Mine\r\n";
    WriteFileContents(path, text);
    FakeWindow w = SetupWindow();
    TFormStorage storage = SetupStorage();
    storage.Bind(path);
    storage.Read(w);
    w.lists["ComboBox1.Items"] = {"would erase"};
    storage.WriteBack(w);
    EXPECT_EQ(FileContents(path), text);
}

TEST(FormStorage, ReadOnlyDictionaryIsReportedAndKeepsItsContent) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    const std::string text = "[SetupForm]\r\nLabel2_Caption=Mine\r\n";
    WriteFileContents(path, text);
    ::chmod(path.c_str(), 0444);
    FakeWindow w = SetupWindow();
    TFormStorage storage = SetupStorage();
    storage.Bind(path);
    storage.Read(w);
    EXPECT_EQ(w.texts["Label2.Caption"], "Mine");
    w.texts["Label2.Caption"] = "Other";
    try {
        storage.WriteBack(w);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(FileContents(path), text);
}

TEST(FormStorage, CaptionWithLineBreaksIsWrittenAsOneLineEveryTime) {
    ScratchDir folder;
    const std::string path = folder.File("d.lng");
    WriteFileContents(path, "");
    std::string first;
    for (int run = 0; run < 2; ++run) {
        FakeWindow w = SetupWindow();
        TFormStorage storage = SetupStorage();
        storage.Bind(path);
        storage.Read(w);
        w.texts["Label2.Caption"] = "Version\r\n1.1\n";
        storage.WriteBack(w);
        const std::string written = FileContents(path);
        if (run == 0) first = written;
        else EXPECT_EQ(written, first);
    }
    EXPECT_EQ(IniFile(path).ReadString("SetupForm", "Label2_Caption", "?"), "Version  1.1");
    EXPECT_EQ(IniFile(path).ReadString("SetupForm", "Button1_Hint", "?"), "Save");
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), std::count(first.begin(), first.end(), '\r'));
}

TEST(FormStorage, FilesThatAreNoDictionaryAreNotBound) {
    ScratchDir folder;
    std::filesystem::create_directories(folder.File("Lang"));
    WriteFileContents(folder.File("Lang/nul.lng"), std::string("[SetupForm]\0\r\n", 14));
    WriteFileContents(folder.File("Lang/big.lng"), std::string(IniFile::kMaxSize + 10, ';'));
    SetProgramDir(folder.Path());
    TFormStorage storage = SetupStorage();
    storage.BindLanguageFile("nul.lng");
    EXPECT_FALSE(storage.Active());
    storage.BindLanguageFile("big.lng");
    EXPECT_FALSE(storage.Active());
    SetProgramDir("");
}

TEST(FormStorage, BindsOnlyAnExistingFileInsideLang) {
    ScratchDir folder;
    std::filesystem::create_directories(folder.File("Lang"));
    WriteFileContents(folder.File("Lang/Russian.lng"), "");
    WriteFileContents(folder.File("outside.lng"), "");
    SetProgramDir(folder.Path());
    TFormStorage storage = SetupStorage();
    storage.BindLanguageFile("Russian.lng");
    EXPECT_EQ(storage.Path(), folder.File("Lang/Russian.lng"));
    storage.BindLanguageFile("../outside.lng");  // names Lang/outside.lng, which is absent
    EXPECT_FALSE(storage.Active());
    storage.BindLanguageFile("../Lang/Russian.lng");
    EXPECT_EQ(storage.Path(), folder.File("Lang/Russian.lng"));
    storage.BindLanguageFile("");
    EXPECT_FALSE(storage.Active());
    SetProgramDir("");
}

TEST(FormStorage, DictionaryNamesItsLanguageOrIsTakenAsRussian) {
    ScratchDir folder;
    std::filesystem::create_directories(folder.File("Lang"));
    const struct {
        std::string file, text, code;
    } cases[] = {
        {"English.lng", "[Dictionary]\r\nLanguage=en\r\n\r\n[MainForm]\r\nFormVersion=0\r\n", "en"},
        {"upper.lng", "[dictionary]\r\nlanguage= DE \r\n", "de"},
        {"none.lng", "[MainForm]\r\nFormVersion=0\r\n", "ru"},
        {"odd.lng", "[Dictionary]\r\nLanguage=en_US\r\n", "ru"},
        {"nul.lng", std::string("[Dictionary]\r\nLanguage=en\0", 26), "ru"},  // no dictionary at all
    };
    for (const auto& c : cases) WriteFileContents(folder.File("Lang/" + c.file), c.text);
    SetProgramDir(folder.Path());
    for (const auto& c : cases) EXPECT_EQ(DictionaryLanguageCode(c.file), c.code) << c.file;
    EXPECT_EQ(DictionaryLanguageCode("absent.lng"), "ru");
    EXPECT_EQ(DictionaryLanguageCode(""), "ru");
    SetProgramDir("");
}

}  // namespace
}  // namespace pomix
