#include "core/debts/debt_book.h"

#include <gtest/gtest.h>

#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

class DebtBookTest : public ::testing::Test {
protected:
    std::vector<std::string> Names(DebtBook& book, int kind) {
        std::vector<std::string> names;
        for (const ListLine& line : book.Lines(kind))
            names.push_back(book.Credits().Resolve(line)->Person);
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
    EXPECT_EQ(changed.Person, "Anna");
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
    EXPECT_EQ(book.Credits()[0].Person, "Anna");

    ASSERT_TRUE(book.Delete(bob));
    book.ClearChanged();
    EXPECT_FALSE(book.Change(bob, "typed", "", 0));
    EXPECT_FALSE(book.Modified());
    EXPECT_EQ(book.Credits().Count(), 1u);
}

}  // namespace
}  // namespace pomix
