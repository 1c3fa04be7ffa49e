#include <gtest/gtest.h>

#include <functional>

#include "core/settings/settings_record.h"
#include "storage/tests/scratch_dir.h"
#include "storage/errors.h"

namespace pomix {
namespace {

using testing::FileContents;
using testing::ScratchDir;
using testing::WriteFileContents;

TSettingsRecord Sample() {
    TSettingsRecord r;
    r.ShowHints = true;
    r.ReservedText = std::string("\x00\x01\xFE\xFF", 4);
    r.Password = " pw ";
    r.WindowColor = 0x00A8B090;
    r.EventNames = {"x"};
    r.ReminderLead = 15;
    r.LanguageFile = "Russian.lng";
    return r;
}

void WriteContainer(const std::string& path, const std::string& streamName, const Bytes& bytes) {
    MemoryStream stream(bytes);
    StreamContainer container;
    container.AddStream(streamName, &stream);
    container.SaveToFile(path);
}

Bytes Encode(const TSettingsRecord& r) {
    MemoryStream stream;
    WriteSettings(r, stream);
    return stream.Data();
}

TEST(SettingsFile, LoadsWhatWasSavedAndLeavesTheContainerEmpty) {
    ScratchDir folder;
    WriteContainer(folder.File("Pomix.ini"), "Setting", Encode(Sample()));
    StreamContainer container;
    TSettingsRecord read;
    ASSERT_EQ(LoadSettingsFile(container, folder.Path(), read), SettingsLoad::Loaded);
    EXPECT_EQ(read, Sample());
    EXPECT_EQ(container.Count(), 0u);

    read.BirthdayDays = 77;
    SaveSettingsFile(container, folder.Path(), read, true);
    EXPECT_EQ(container.Count(), 0u);
    TSettingsRecord again;
    ASSERT_EQ(LoadSettingsFile(container, folder.Path(), again), SettingsLoad::Loaded);
    EXPECT_EQ(again, read);
    EXPECT_EQ(again.ReservedText, Sample().ReservedText);
}

TEST(SettingsFile, FailedLoadsGiveTheDefaultColoursAndKeepTheRest) {
    const Bytes full = Encode(Sample());
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
        SettingsLoad expected;
    } cases[] = {
        {"missing", [](const std::string&) {}, SettingsLoad::Missing},
        {"not a container", [](const std::string& p) { WriteFileContents(p, "plain text, not a container"); },
         SettingsLoad::Damaged},
        {"empty file", [](const std::string& p) { WriteFileContents(p, ""); }, SettingsLoad::Damaged},
        {"no Setting stream", [&](const std::string& p) { WriteContainer(p, "NBook", full); }, SettingsLoad::Damaged},
        {"empty Setting stream", [](const std::string& p) { WriteContainer(p, "Setting", {}); },
         SettingsLoad::Damaged},
        {"short Setting stream",
         [&](const std::string& p) { WriteContainer(p, "Setting", Bytes(full.begin(), full.end() - 1)); },
         SettingsLoad::Damaged},
    };
    for (const auto& c : cases) {
        ScratchDir folder;
        c.make(folder.File("Pomix.ini"));
        StreamContainer container;
        TSettingsRecord record;
        record.Password = "kept";
        EXPECT_EQ(LoadSettingsFile(container, folder.Path(), record), c.expected) << c.what;
        EXPECT_EQ(record.WindowColor, 0xC0C0C0u) << c.what;
        EXPECT_EQ(record.ButtonTextColor, 0xFFFFFFu) << c.what;
        EXPECT_EQ(record.Password, "kept") << c.what;
        EXPECT_EQ(container.Count(), 0u) << c.what;
    }
}

TEST(SettingsFile, IsNeverCreatedAndWrittenOnlyAfterASuccessfulLoad) {
    ScratchDir folder;
    StreamContainer container;
    SaveSettingsFile(container, folder.Path(), Sample(), true);  // no file: none created
    EXPECT_FALSE(std::filesystem::exists(folder.File("Pomix.ini")));

    WriteFileContents(folder.File("Pomix.ini"), "damaged bytes");
    SaveSettingsFile(container, folder.Path(), Sample(), false);  // not loaded: untouched
    EXPECT_EQ(FileContents(folder.File("Pomix.ini")), "damaged bytes");
}

}  // namespace
}  // namespace pomix
