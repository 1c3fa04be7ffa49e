#include "storage/backups.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using testing::FileContents;
using testing::ScratchDir;
using testing::WriteFileContents;

class BackupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldClock_ = SetBackupClock([this] { return today_; });
        oldHook_ = SetBackupReportHook(
            [this](const BackupProblem& problem) { problems_.push_back(problem); });
    }
    void TearDown() override {
        SetBackupClock(oldClock_);
        SetBackupReportHook(oldHook_);
    }
    // Saves text as the file's one stream, as every section and the settings do.
    void Save(const std::string& name, const std::string& text) {
        MemoryStream stream;
        stream.Write(text.data(), text.size());
        SaveSingleStream(container_, dir_.File(name), "S", stream);
    }
    std::vector<std::string> Backups() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.File("Backup"))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir dir_;
    StreamContainer container_;
    BackupDay today_ = 2026y / December / 8d;
    std::vector<BackupProblem> problems_;
    BackupClock oldClock_;
    BackupReportHook oldHook_;
};

TEST_F(BackupsTest, FirstSaveOfEachDayCopiesTheFileAsItWasOnDisk) {
    Save("Note.dat", "first");  // a new file: nothing to copy
    EXPECT_FALSE(fs::exists(dir_.File("Backup")));
    const std::string first = FileContents(dir_.File("Note.dat"));
    Save("Note.dat", "second");
    Save("Note.dat", "third");
    EXPECT_EQ(Backups(), std::vector<std::string>{"Note.dat.2026-12-08"});
    EXPECT_EQ(FileContents(dir_.File("Backup/Note.dat.2026-12-08")), first);

    const std::string third = FileContents(dir_.File("Note.dat"));
    today_ = 2026y / December / 9d;
    Save("Note.dat", "fourth");
    EXPECT_EQ(FileContents(dir_.File("Backup/Note.dat.2026-12-09")), third);

    // Files that are not the program's are saved without copies.
    WriteFileContents(dir_.File("Other.dat"), "x");
    Save("Other.dat", "y");
    EXPECT_EQ(Backups(), (std::vector<std::string>{"Note.dat.2026-12-08", "Note.dat.2026-12-09"}));
    EXPECT_TRUE(problems_.empty());
}

TEST_F(BackupsTest, PruningKeepsFourteenDaysAndTheNewestOfTwelveMonths) {
    fs::create_directory(dir_.File("Backup"));
    // A copy for every day from 1 June 2025 to yesterday, and files that are no copies.
    for (sys_days day = sys_days(2025y / June / 1d); day < sys_days(today_); day += days{1}) {
        WriteFileContents(dir_.File("Backup/Calendar.dat." + DayText(BackupDay{day})), "old");
    }
    for (const char* name :
         {"Calendar.dat.2024-01-01.saving", "Calendar.dat.2024-02-30", "notes.txt"}) {
        WriteFileContents(dir_.File(std::string("Backup/") + name), "keep");
    }
    WriteFileContents(dir_.File("Calendar.dat"), "now");
    Save("Calendar.dat", "new");

    std::vector<std::string> expected{"Calendar.dat.2024-01-01.saving", "Calendar.dat.2024-02-30"};
    for (const char* month : {"01-31", "02-28", "03-31", "04-30", "05-31", "06-30", "07-31",
                              "08-31", "09-30", "10-31"}) {
        expected.push_back(std::string("Calendar.dat.2026-") + month);
    }
    for (unsigned day = 25; day <= 30; ++day)
        expected.push_back("Calendar.dat.2026-11-" + std::to_string(day));
    for (unsigned day = 1; day <= 8; ++day)
        expected.push_back("Calendar.dat.2026-12-0" + std::to_string(day));
    expected.push_back("notes.txt");
    EXPECT_EQ(Backups(), expected);
    EXPECT_EQ(FileContents(dir_.File("Backup/Calendar.dat.2026-12-08")), "now");

    // Copies of rare days: the 14 newest stay however old; older ones only as their month's newest.
    std::vector<BackupCopy> sparse;
    for (int i = 0; i < 20; ++i) {
        BackupCopy copy;
        copy.day = BackupDay{sys_days(2020y / January / 1d) + days{40 * i}};
        sparse.push_back(copy);
    }
    const auto pruned = CopiesToPrune(sparse, today_);
    ASSERT_EQ(pruned.size(), 6u);
    for (std::size_t i = 0; i < pruned.size(); ++i)
        EXPECT_EQ(DayText(pruned[i].day), DayText(sparse[i].day));
}

TEST_F(BackupsTest, ABackupPlaceThatTakesNoFileIsReportedOnceAndTheSaveGoesOn) {
    // Tests run as root, whom permissions do not stop: a file where the folder belongs does.
    WriteFileContents(dir_.File("Backup"), "not a folder");
    WriteFileContents(dir_.File("Note.dat"), "n");
    WriteFileContents(dir_.File("Credit.dat"), "c");
    Save("Note.dat", "note");
    Save("Credit.dat", "credit");
    today_ = 2026y / December / 9d;
    Save("Note.dat", "note 2");

    ASSERT_EQ(problems_.size(), 1u);
    EXPECT_EQ(problems_[0].kind, BackupProblem::Kind::FolderUnwritable);
    EXPECT_EQ(problems_[0].path, dir_.File("Backup") + "/");
    EXPECT_EQ(problems_[0].cause, BackupProblem::Cause::NotAFolder);
    container_.LoadFromFile(dir_.File("Note.dat"));
    MemoryStream stream;
    container_.GetStream("S", stream);
    EXPECT_EQ(stream.ReadText(6), "note 2");
    EXPECT_EQ(FileContents(dir_.File("Backup")), "not a folder");
}

TEST_F(BackupsTest, KeepingTheCurrentFileNeverOverwritesAnotherCopy) {
    WriteFileContents(dir_.File("Address.dat"), "one");
    EXPECT_EQ(KeepCurrentAsBackup(dir_.File("Address.dat")),
              dir_.File("Backup/Address.dat.2026-12-08"));
    EXPECT_EQ(KeepCurrentAsBackup(dir_.File("Address.dat")),
              dir_.File("Backup/Address.dat.2026-12-08"));
    WriteFileContents(dir_.File("Address.dat"), "two");
    EXPECT_EQ(KeepCurrentAsBackup(dir_.File("Address.dat")),
              dir_.File("Backup/Address.dat.2026-12-08.1"));
    EXPECT_EQ(FileContents(dir_.File("Backup/Address.dat.2026-12-08")), "one");

    const auto copies = ListBackupCopies(dir_.Path());
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[1].tag, "2026-12-08.1");
    EXPECT_EQ(copies[1].serial, 1u);
    EXPECT_EQ(KeepCurrentAsBackup(dir_.File("Missing.dat")), "");
}

}  // namespace
}  // namespace pomix
