#include "core/notes/notes_model.h"

#include <gtest/gtest.h>

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
    NotesModel model_{container_, path_};
    DateTime now_ = 46000.5;
    Clock previous_;
};

TEST_F(NotesModelTest, KeepAddsOrChangesTheNoteAndStampsTheMoment) {
    const std::uint64_t first = model_.Keep(0, "first", {"one"});
    const std::uint64_t second = model_.Keep(0, "second", {"two"});
    EXPECT_TRUE(model_.Modified());
    now_ = 46001.25;
    EXPECT_EQ(model_.Keep(second, "renamed", {"2"}), second);
    ASSERT_EQ(model_.Notes().Count(), 2u);
    const TNote& changed = model_.Notes()[1];
    EXPECT_EQ(changed.Name, "renamed");
    EXPECT_EQ(changed.Memo, StrList{"2"});
    EXPECT_EQ(changed.Date, now_);
    EXPECT_EQ(model_.Notes()[0].Date, 46000.5) << "the other note keeps its stamp";

    // A note deleted meanwhile: what was typed becomes a new note rather than being lost.
    ASSERT_TRUE(model_.Delete(first));
    EXPECT_NE(model_.Keep(first, "typed", {}), first);
    ASSERT_EQ(model_.Notes().Count(), 2u);
    EXPECT_EQ(model_.Notes()[1].Name, "typed");
}

TEST_F(NotesModelTest, TitlesSortWithoutCaseAndEqualOnesKeepTheNotesOrder) {
    for (const char* title : {"b", "a", "B", "", "c", "a"}) model_.Keep(0, title, {});
    EXPECT_EQ(Titles(model_), (std::vector<std::string>{"", "a", "a", "b", "B", "c"}));
    const std::vector<ListLine> lines = model_.Titles();
    EXPECT_LT(lines[1].Serial, lines[2].Serial);
    EXPECT_LT(lines[3].Serial, lines[4].Serial);
    // Precedes follows the notes' order, as the sort does among equal titles.
    const TNote& b = *model_.Notes().BySerial(lines[3].Serial);
    EXPECT_TRUE(model_.Precedes(b.Index, lines[4].Serial));
    EXPECT_FALSE(model_.Precedes(model_.Notes().BySerial(lines[4].Serial)->Index, lines[3].Serial));
    EXPECT_FALSE(model_.Precedes(0, 9999)) << "a line of no note";
}

// Which notes match is NoteMatches' (note_test): here, that the search looks where it is asked
// and its lines reach their notes.
TEST_F(NotesModelTest, SearchLooksWhereItIsAsked) {
    model_.Keep(0, "abc", {"x"});
    model_.Keep(0, "x", {"abc"});
    for (const NoteSearch where : {NoteSearch::ByName, NoteSearch::ByText, NoteSearch::Everywhere}) {
        std::vector<std::string> memos;
        for (const ListLine& line : model_.Found("abc", where))
            memos.push_back(model_.Notes().BySerial(line.Serial)->Memo.front());
        EXPECT_EQ(memos, where == NoteSearch::ByName   ? std::vector<std::string>{"x"}
                         : where == NoteSearch::ByText ? std::vector<std::string>{"abc"}
                                                       : (std::vector<std::string>{"x", "abc"}));
    }
}

TEST_F(NotesModelTest, ReadTitlesAreSortedAndDroppedByTheFirstChange) {
    {
        NotesModel model(container_, path_);
        for (const char* title : {"b", "A"}) model.Keep(0, title, {});
        model.Save();
    }
    NotesModel model(container_, path_);
    model.LoadNow();
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"A", "b"}));
    model.LoadNow();
    model.Keep(0, "a", {});
    EXPECT_EQ(Titles(model), (std::vector<std::string>{"A", "a", "b"}));
}

}  // namespace
}  // namespace pomix
