#include "core/backups/backup_copies.h"

#include <gtest/gtest.h>

#include "core/notes/note.h"
#include "storage/errors.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

using namespace std::chrono;
using testing::FileContents;
using testing::ScratchDir;
using testing::WriteFileContents;

class BackupCopiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldClock_ = SetBackupClock([] { return BackupDay{2026y / December / 8d}; });
    }
    void TearDown() override { SetBackupClock(oldClock_); }
    void WriteNotesFile(const std::string& path, int count) {
        NoteList notes;
        for (int i = 0; i < count; ++i)
            notes.Add(TNote(46000 + i, {"line"}, "note " + std::to_string(i)));
        MemoryStream stream;
        WriteNotes(notes, stream);
        SaveSingleStream(container_, path, kNoteStreamName, stream);
    }

    ScratchDir dir_;
    StreamContainer container_;
    BackupClock oldClock_;
};

TEST_F(BackupCopiesTest, TheNewestCopyThatLoadsIsOfferedAndPutBackKeepingTheDamagedFile) {
    std::filesystem::create_directory(dir_.File("Backup"));
    WriteNotesFile(dir_.File("Backup/Note.dat.2026-12-05"), 3);
    WriteNotesFile(dir_.File("Backup/Note.dat.2026-12-06"), 2);
    WriteFileContents(dir_.File("Backup/Note.dat.2026-12-07"), "&   not a container");
    WriteNotesFile(dir_.File("Note.dat"), 5);
    const std::string whole = FileContents(dir_.File("Note.dat"));
    const std::string damaged = whole.substr(0, whole.size() / 2);
    WriteFileContents(dir_.File("Note.dat"), damaged);

    EXPECT_FALSE(CheckDataFile("Note.dat", dir_.File("Note.dat")).loads);
    const auto listed = CheckBackupCopies(dir_.Path());
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_TRUE(listed[0].check.loads);
    EXPECT_EQ(listed[0].check.records, 3u);
    EXPECT_FALSE(listed[2].check.loads);

    const auto newest = NewestLoadableCopy(dir_.Path(), "Note.dat");
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->copy.tag, "2026-12-06");
    EXPECT_EQ(newest->check.records, 2u);
    EXPECT_FALSE(NewestLoadableCopy(dir_.Path(), "Credit.dat"));

    // Refused: a copy that does not load (as damaged), one that does not exist, a tag that
    // leaves the folder.
    for (const auto& [tag, damagedCopy] : {std::pair{"2026-12-07", true}, {"2026-12-01", false},
                                           {"2026-12-06/../../Note.dat", false}}) {
        try {
            RestoreBackupCopy(dir_.Path(), "Note.dat", tag);
            ADD_FAILURE() << tag;
        } catch (const ECorruptFile&) {
            EXPECT_TRUE(damagedCopy) << tag;
        } catch (const EFileError&) {
            EXPECT_FALSE(damagedCopy) << tag;
        }
        EXPECT_EQ(FileContents(dir_.File("Note.dat")), damaged) << tag;
    }

    EXPECT_EQ(RestoreBackupCopy(dir_.Path(), "Note.dat", "2026-12-06"),
              dir_.File("Backup/Note.dat.2026-12-08"));
    EXPECT_EQ(FileContents(dir_.File("Note.dat")),
              FileContents(dir_.File("Backup/Note.dat.2026-12-06")));
    EXPECT_EQ(FileContents(dir_.File("Backup/Note.dat.2026-12-08")), damaged);
    EXPECT_EQ(CheckDataFile("Note.dat", dir_.File("Note.dat")).records, 2u);
}

}  // namespace
}  // namespace pomix
