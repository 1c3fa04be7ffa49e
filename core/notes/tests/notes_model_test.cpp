#include "core/notes/notes_model.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

class NotesModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = SetClock([this] { return now_; });
    }
    void TearDown() override { SetClock(previous_); }

    std::vector<std::string> Titles(NotesModel& model) {
        std::vector<std::string> titles;
        for (const ListLine& line : model.Titles()) {
            titles.push_back(line.Text);
            const TNote* note = model.Notes().BySerial(line.Serial);
            EXPECT_TRUE(note && note->Name == line.Text) << line.Text;
        }
        return titles;
    }

    testing::ScratchDir dir_;
    StreamContainer container_;
    std::string path_ = dir_.File("Note.dat");
    DateTime now_ = 46000.5;
    Clock previous_;
};

TEST_F(NotesModelTest, KeepAddsOrChangesTheNoteAndStampsTheMoment) {
    NotesModel model(container_, path_);
    EXPECT_FALSE(model.Modified());
    const std::uint64_t first = model.Keep(0, "first", {"one"});
    const std::uint64_t second = model.Keep(0, "second", {"two"});
    EXPECT_TRUE(model.Modified());
    ASSERT_EQ(model.Notes().Count(), 2u);
    EXPECT_NE(first, second);

    now_ = 46001.25;
    EXPECT_EQ(model.Keep(second, "renamed", {"2"}), second);
    ASSERT_EQ(model.Notes().Count(), 2u);
    const TNote& changed = model.Notes()[1];
    EXPECT_EQ(changed.Name, "renamed");
    EXPECT_EQ(changed.Memo, StrList{"2"});
    EXPECT_EQ(changed.Date, now_);
    EXPECT_EQ(model.Notes()[0].Date, 46000.5) << "the other note keeps its stamp";

    // A note deleted meanwhile: what was typed becomes a new note rather than being lost.
    ASSERT_TRUE(model.Delete(first));
    EXPECT_FALSE(model.Delete(first));
    const std::uint64_t kept = model.Keep(first, "typed", {});
    EXPECT_NE(kept, first);
    ASSERT_EQ(model.Notes().Count(), 2u);
    EXPECT_EQ(model.Notes()[0].Name, "renamed");
    EXPECT_EQ(model.Notes()[1].Name, "typed");
}

TEST_F(NotesModelTest, TitlesSortWithoutCaseAndEqualOnesKeepTheNotesOrder) {
    NotesModel model(container_, path_);
    for (const char* title : {"b", "a", "B", "", "c", "a"}) model.Keep(0, title, {});
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"", "a", "a", "b", "B", "c"}));
    const std::vector<ListLine> lines = model.Titles();
    EXPECT_LT(lines[1].Serial, lines[2].Serial);
    EXPECT_LT(lines[3].Serial, lines[4].Serial);
    // Precedes follows the notes' order, as the sort does among equal titles.
    const TNote& b = *model.Notes().BySerial(lines[3].Serial);
    EXPECT_TRUE(model.Precedes(b.Index, lines[4].Serial));
    EXPECT_FALSE(model.Precedes(model.Notes().BySerial(lines[4].Serial)->Index, lines[3].Serial));
    EXPECT_FALSE(model.Precedes(0, 9999)) << "a line of no note";
}

TEST_F(NotesModelTest, SearchLooksWhereItIsAsked) {
    NotesModel model(container_, path_);
    model.Keep(0, "abc", {"x"});
    model.Keep(0, "ABC", {"needle in text"});
    model.Keep(0, "xabcx", {"abc"});
    const struct {
        NoteSearch where;
        const char* pattern;
        std::vector<std::string> found;  // in the notes' order
    } cases[] = {
        {NoteSearch::ByName, "abc", {"abc", "ABC"}},
        {NoteSearch::ByText, "*NEEDLE*", {"ABC"}},
        {NoteSearch::Everywhere, "abc", {"abc", "ABC", "xabcx"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> found;
        for (const ListLine& line : model.Found(c.pattern, c.where)) {
            found.push_back(line.Text);
            EXPECT_EQ(model.Notes().BySerial(line.Serial)->Name, line.Text);
        }
        EXPECT_EQ(found, c.found) << c.pattern;
    }
}

TEST_F(NotesModelTest, SaveWritesOnlyAChangeAndLoadNowReadsTheFileAgain) {
    {
        NotesModel model(container_, path_);
        model.Save();
        EXPECT_FALSE(std::filesystem::exists(path_)) << "nothing changed";
        model.Keep(0, "kept", {"line"});
        model.Save();
        EXPECT_FALSE(model.Modified());
    }
    const std::string written = testing::FileContents(path_);
    NotesModel model(container_, path_);
    std::vector<SectionModel::Change> heard;
    model.Listen([&heard](SectionModel::Change change) { heard.push_back(change); });
    model.LoadNow();
    ASSERT_EQ(model.Notes().Count(), 1u);
    EXPECT_EQ(model.Notes()[0].Memo, StrList{"line"});
    EXPECT_EQ(model.Notes()[0].Date, now_);
    model.Save();
    EXPECT_EQ(testing::FileContents(path_), written);

    // A copy put back in place of the file: read again, the change made since is dropped.
    {
        NotesModel other(container_, dir_.File("Other.dat"));
        other.Keep(0, "restored", {});
        other.Keep(0, "also", {});
        other.Save();
    }
    model.Keep(0, "unsaved", {});
    std::filesystem::copy_file(dir_.File("Other.dat"), path_,
                               std::filesystem::copy_options::overwrite_existing);
    model.LoadNow();
    EXPECT_FALSE(model.Modified());
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"also", "restored"}));
    EXPECT_EQ(heard, (std::vector<SectionModel::Change>(2, SectionModel::Change::Loaded)));
}

TEST_F(NotesModelTest, DamagedFileIsKeptBeforeItIsOverwritten) {
    const std::string damaged = std::string("\x26\x20garbage that is no compressed image", 37);
    testing::WriteFileContents(path_, damaged);
    NotesModel model(container_, path_);
    model.LoadNow();
    EXPECT_TRUE(model.Notes().Empty());
    EXPECT_TRUE(model.File().LoadFailed());
    model.Keep(0, "new", {});
    model.Save();
    EXPECT_EQ(testing::FileContents(path_ + ".damaged"), damaged);
    NotesModel reopened(container_, path_);
    reopened.LoadNow();
    EXPECT_EQ(reopened.Notes().Count(), 1u);
}

}  // namespace
}  // namespace pomix
