#include "core/settings/dictionary_tables.h"

#include <gtest/gtest.h>

#include <map>

#include "core/settings/form_storage.h"
#include "core/settings/ini_file.h"
#include "storage/cp1251.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

using testing::FileContents;
using testing::ScratchDir;
using testing::WriteFileContents;

const char kMain[] =
    "# comment\n"
    "Button1_Caption\t\xD0\x94\xD0\xB0\tOK\n"  // "Да"
    "\n"
    "Text2_Caption\t  Введите пароль \tEnter the password\r\n";
const char kSetup[] =
    "Button1_Caption\tСохранить\t\"Save\"\n"
    "ComboBox1_Items\tСтальная\tSteel\n"
    "ComboBox1_Items\tСеребристая\tSilver\n";

TEST(DictionaryTables, ParsesKeysAndBothTextsTrimmed) {
    const DictionaryTable table = ParseDictionaryTable("MainForm", kMain);
    EXPECT_EQ(table.section, "MainForm");
    ASSERT_EQ(table.entries.size(), 2u);
    EXPECT_EQ(table.entries[0].key, "Button1_Caption");
    EXPECT_EQ(table.entries[0].russian, "Да");
    EXPECT_EQ(table.entries[1].russian, "Введите пароль");
    EXPECT_EQ(table.entries[1].english, "Enter the password");
}

TEST(DictionaryTables, BadLinesAreRefusedWithTheirPlace) {
    const struct {
        const char* text;
        const char* where;
    } cases[] = {
        {"A_Caption\tтолько\n", "T.tsv line 1"},
        {"# x\nA_Caption\ta\tb\tc\n", "T.tsv line 2"},
        {"A_Caption\ta\tb\nA_Caption\tc\td\n", "T.tsv line 2"},
        {"\ta\tb\n", "T.tsv line 1"},
        {"A=B\ta\tb\n", "T.tsv line 1"},
        {"A_Caption\tснеговик \xE2\x98\x83\tsnowman\n", "T.tsv line 1"},
        {"A_Caption\tтекст\t\n", "T.tsv line 1"},
    };
    for (const auto& c : cases) {
        try {
            ParseDictionaryTable("T", c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EDictionaryTable& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.where, 0), 0u) << e.what();
        }
    }
}

TEST(DictionaryTables, DictionaryHoldsEverySectionWithListsLast) {
    const std::vector<DictionaryTable> tables = {ParseDictionaryTable("MainForm", kMain),
                                                 ParseDictionaryTable("SetupForm", kSetup)};
    EXPECT_EQ(MakeDictionary(tables, DictionaryLanguage::English),
              "[Dictionary]\r\nLanguage=en\r\n"
              "\r\n[MainForm]\r\nFormVersion=0\r\nButton1_Caption=OK\r\nText2_Caption=Enter the password\r\n"
              "\r\n[SetupForm]\r\nFormVersion=0\r\nButton1_Caption=\"\"Save\"\"\r\n"
              "\r\n[SetupForm.ComboBox1_Items]\r\nCount=2\r\nItem0=Steel\r\nItem1=Silver\r\n");
    const std::string russian = MakeDictionary(tables, DictionaryLanguage::Russian);
    EXPECT_NE(russian.find("Text2_Caption=" + Utf8ToCp1251("Введите пароль") + "\r\n"), std::string::npos);
    EXPECT_NE(russian.find("Item1=" + Utf8ToCp1251("Серебристая") + "\r\n"), std::string::npos);
}

// A window that shows exactly what the dictionary gives it.
class EchoWindow : public DictionaryTarget {
public:
    std::map<std::string, std::string> texts;
    StrList lines;
    bool GetText(const std::string& c, const std::string& p, std::string& text) override {
        text = texts[c + "." + p];
        return true;
    }
    bool SetText(const std::string& c, const std::string& p, const std::string& text) override {
        texts[c + "." + p] = text;
        return true;
    }
    bool GetLines(const std::string&, const std::string&, StrList& out) override {
        out = lines;
        return true;
    }
    bool SetLines(const std::string&, const std::string&, const StrList& in) override {
        lines = in;
        return true;
    }
};

TEST(DictionaryTables, AWriteBackOfUnchangedTextsLeavesTheFileByteForByte) {
    ScratchDir folder;
    const std::string path = folder.File("English.lng");
    const std::vector<DictionaryTable> tables = {ParseDictionaryTable("MainForm", kMain),
                                                 ParseDictionaryTable("SetupForm", kSetup)};
    const std::string made = MakeDictionary(tables, DictionaryLanguage::English);
    WriteFileContents(path, made);
    for (int run = 0; run < 2; ++run) {
        EchoWindow main, setup;
        TFormStorage mainStorage("MainForm", {"Button1.Caption", "Text2.Caption"});
        TFormStorage setupStorage("SetupForm", {"Button1.Caption", "ComboBox1.Items"});
        mainStorage.Bind(path);
        setupStorage.Bind(path);
        mainStorage.Read(main);
        setupStorage.Read(setup);
        EXPECT_EQ(main.texts["Text2.Caption"], "Enter the password");
        EXPECT_EQ(setup.lines, (StrList{"Steel", "Silver"}));
        mainStorage.WriteBack(main);
        setupStorage.WriteBack(setup);
        EXPECT_EQ(FileContents(path), made) << "run " << run;
    }
}

TEST(DictionaryTables, ShippedTablesMakeWellFormedDictionaries) {
    const std::vector<DictionaryTable> tables = ReadDictionaryTables(POMIX_LANG_DIR);
    ASSERT_FALSE(tables.empty());
    for (DictionaryLanguage language : {DictionaryLanguage::Russian, DictionaryLanguage::English}) {
        ScratchDir folder;
        const std::string path = folder.File("d.lng");
        WriteFileContents(path, MakeDictionary(tables, language));
        EXPECT_TRUE(IniFile::IsIniFile(path));
        const IniFile file(path);
        for (const DictionaryTable& table : tables) {
            EXPECT_EQ(file.ReadString(table.section, "FormVersion", "?"), "0") << table.section;
            for (const DictionaryEntry& e : table.entries) {
                if (e.key.ends_with("_Items")) continue;
                const std::string& text = language == DictionaryLanguage::Russian ? e.russian : e.english;
                EXPECT_EQ(file.ReadString(table.section, e.key, "?"), Utf8ToCp1251(text)) << e.key;
            }
        }
    }
    // The seven colour schemes are named in both.
    const auto setup = std::find_if(tables.begin(), tables.end(), [](const auto& t) { return t.section == "SetupForm"; });
    ASSERT_NE(setup, tables.end());
    EXPECT_EQ(std::count_if(setup->entries.begin(), setup->entries.end(),
                            [](const auto& e) { return e.key == "ComboBox1_Items"; }),
              7);
}

}  // namespace
}  // namespace pomix
