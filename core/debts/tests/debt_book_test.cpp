#include "core/debts/debt_book.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

class DebtBookTest : public ::testing::Test {
protected:
    std::vector<std::string> Names(DebtBook& book, int kind) {
        std::vector<std::string> names;
        for (const ListLine& line : book.Lines(kind)) names.push_back(book.Credits().Resolve(line)->FistName);
        return names;
    }

    testing::ScratchDir dir_;
    StreamContainer container_;
    std::string path_ = dir_.File("Credit.dat");
};

TEST_F(DebtBookTest, EachEditMarksTheChangeAndAGoneDebtChangesNothing) {
    DebtBook book(container_, path_);
    const std::uint64_t ann = book.Add(TCreditNote(kIOwe, "Ann", "5 $", 46000.3, 46010));
    const std::uint64_t bob = book.Add(TCreditNote(kOwedToMe, "bob", "book", 46000.5, 46020));
    EXPECT_TRUE(book.Modified());
    EXPECT_EQ(Names(book, kIOwe), std::vector<std::string>{"Ann"});
    EXPECT_EQ(Names(book, kOwedToMe), std::vector<std::string>{"bob"});

    book.ClearChanged();
    ASSERT_TRUE(book.Change(ann, "Anna", "7 $", 46030));
    EXPECT_TRUE(book.Modified());
    const TCreditNote& changed = *book.Credits().BySerial(ann);
    EXPECT_EQ(changed.FistName, "Anna");
    EXPECT_EQ(changed.Name, "7 $");
    EXPECT_EQ(changed.ReturnDate, 46030);
    EXPECT_EQ(changed.Kind, kIOwe) << "an edit keeps the kind";
    EXPECT_EQ(changed.CreateDate, 46000.3) << "and the entry moment";

    // A sort by a column that sorts nothing changes nothing.
    book.ClearChanged();
    for (const int tag : {0, 4}) EXPECT_FALSE(book.Sort(tag)) << tag;
    EXPECT_FALSE(book.Modified());
    EXPECT_TRUE(book.Sort(1));
    EXPECT_TRUE(book.Modified());
    EXPECT_EQ(book.Credits()[0].FistName, "Anna");

    book.ClearChanged();
    ASSERT_TRUE(book.Delete(bob));
    EXPECT_TRUE(book.Modified());
    book.ClearChanged();
    EXPECT_FALSE(book.Delete(bob));
    EXPECT_FALSE(book.Change(bob, "typed", "", 0));
    EXPECT_FALSE(book.Modified());
    EXPECT_EQ(book.Credits().Count(), 1u);
}

TEST_F(DebtBookTest, SaveWritesOnlyAChangeAndLoadNowReadsTheFileAgain) {
    {
        DebtBook book(container_, path_);
        book.Save();
        EXPECT_FALSE(std::filesystem::exists(path_)) << "nothing changed";
        book.Add(TCreditNote(kOwedToMe, "delta", "", 0, 46100));
        book.Add(TCreditNote(kOwedToMe, "charlie", "", 0, 46050));
        book.Sort(3);
        book.Save();
        EXPECT_FALSE(book.Modified());
    }
    const std::string written = testing::FileContents(path_);
    DebtBook book(container_, path_);
    std::vector<SectionModel::Change> heard;
    book.Listen([&heard](SectionModel::Change change) { heard.push_back(change); });
    book.LoadNow();
    EXPECT_EQ(Names(book, kOwedToMe), (std::vector<std::string>{"charlie", "delta"})) << "the sort was saved";
    book.Save();
    EXPECT_EQ(testing::FileContents(path_), written);

    // A copy put back in place of the file: read again, the change made since is dropped.
    {
        DebtBook copy(container_, dir_.File("Copy.dat"));
        copy.Add(TCreditNote(kIOwe, "restored", "", 0, 46000));
        copy.Save();
    }
    book.Add(TCreditNote(kIOwe, "unsaved", "", 0, 46000));
    std::filesystem::copy_file(dir_.File("Copy.dat"), path_,
                               std::filesystem::copy_options::overwrite_existing);
    book.LoadNow();
    EXPECT_FALSE(book.Modified());
    EXPECT_TRUE(book.Lines(kOwedToMe).empty());
    EXPECT_EQ(Names(book, kIOwe), std::vector<std::string>{"restored"});
    EXPECT_EQ(heard, (std::vector<SectionModel::Change>(2, SectionModel::Change::Loaded)));
}

}  // namespace
}  // namespace pomix
