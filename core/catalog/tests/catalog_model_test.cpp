#include "core/catalog/catalog_model.h"

#include <gtest/gtest.h>

#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

std::vector<std::string> Texts(const std::vector<ListLine>& lines) {
    std::vector<std::string> texts;
    for (const auto& line : lines) texts.push_back(line.Text);
    return texts;
}

class CatalogModelTest : public ::testing::Test {
protected:
    testing::ScratchDir dir_;
    StreamContainer container_;
    std::string path_ = dir_.File("Catalog.dat");
};

TEST_F(CatalogModelTest, EditsMarkTheChangeAndMoveTitlesBetweenCategories) {
    CatalogModel model(container_, path_);
    const std::uint64_t album = model.Add(1, "Album", {"track"});
    const std::uint64_t other = model.Add(1, "other", {});
    EXPECT_TRUE(model.Modified());
    EXPECT_EQ(Texts(model.Lines(1)), (std::vector<std::string>{"Album", "other"}));

    model.ClearChanged();
    ASSERT_TRUE(model.Change(album, 3, "Album (live)", {"track", "encore"}));
    EXPECT_TRUE(model.Modified());
    EXPECT_EQ(Texts(model.Lines(1)), std::vector<std::string>{"other"});
    const std::vector<ListLine> moved = model.Lines(3);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].Serial, album);
    EXPECT_EQ(model.Entries().BySerial(album)->Memo, (StrList{"track", "encore"}));

    ASSERT_TRUE(model.Delete(other));
    // A line left over from before the delete reaches no entry, and changes nothing.
    model.ClearChanged();
    EXPECT_FALSE(model.Change(other, 2, "typed", {}));
    EXPECT_FALSE(model.Modified());
    ASSERT_EQ(model.Entries().Count(), 1u);
    EXPECT_EQ(model.Counts(), (std::array<int, kCatalogCategories>{0, 0, 1, 0, 0, 0}));
}

TEST_F(CatalogModelTest, TheReadSortsTheFirstCategoryOnlyAndTheFirstChangeDropsIt) {
    {
        CatalogModel model(container_, path_);
        model.Add(1, "b", {});
        model.Add(2, "x", {});
        model.Add(1, "A", {"line"});
        model.Save();
    }
    CatalogModel model(container_, path_);
    model.LoadNow();
    EXPECT_EQ(Texts(model.Lines(CatalogModel::kFirstCategory)), (std::vector<std::string>{"A", "b"}));
    model.LoadNow();
    EXPECT_EQ(Texts(model.Lines(2)), std::vector<std::string>{"x"});
    model.LoadNow();
    model.Add(1, "a", {});
    EXPECT_EQ(Texts(model.Lines(1)), (std::vector<std::string>{"A", "a", "b"}));
}

}  // namespace
}  // namespace pomix
