#include "core/catalog/catalog_model.h"

#include <gtest/gtest.h>

#include <filesystem>

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

    model.ClearChanged();
    ASSERT_TRUE(model.Delete(other));
    EXPECT_TRUE(model.Modified());
    // A line left over from before the delete reaches no entry, and changes nothing.
    model.ClearChanged();
    EXPECT_FALSE(model.Delete(other));
    EXPECT_FALSE(model.Change(other, 2, "typed", {}));
    EXPECT_FALSE(model.Modified());
    ASSERT_EQ(model.Entries().Count(), 1u);
    EXPECT_EQ(model.Counts(), (std::array<int, kCatalogCategories>{0, 0, 1, 0, 0, 0}));
}

TEST_F(CatalogModelTest, SaveWritesOnlyAChangeAndLoadNowReadsTheFileAgain) {
    {
        CatalogModel model(container_, path_);
        model.Save();
        EXPECT_FALSE(std::filesystem::exists(path_)) << "nothing changed";
        model.Add(1, "b", {});
        model.Add(2, "x", {});
        model.Add(1, "A", {"line"});
        model.Save();
        EXPECT_FALSE(model.Modified());
    }
    const std::string written = testing::FileContents(path_);
    CatalogModel model(container_, path_);
    std::vector<SectionModel::Change> heard;
    model.Listen([&heard](SectionModel::Change change) { heard.push_back(change); });
    model.LoadNow();
    EXPECT_EQ(Texts(model.Lines(CatalogModel::kFirstCategory)), (std::vector<std::string>{"A", "b"}));
    EXPECT_EQ(Texts(model.Lines(2)), std::vector<std::string>{"x"});
    model.Save();
    EXPECT_EQ(testing::FileContents(path_), written);

    // A copy put back in place of the file: read again, the change made since is dropped.
    {
        CatalogModel copy(container_, dir_.File("Copy.dat"));
        copy.Add(1, "restored", {});
        copy.Save();
    }
    model.Add(1, "unsaved", {});
    std::filesystem::copy_file(dir_.File("Copy.dat"), path_,
                               std::filesystem::copy_options::overwrite_existing);
    model.LoadNow();
    EXPECT_FALSE(model.Modified());
    EXPECT_TRUE(model.Lines(2).empty()) << "the read's lines are the first category's only";
    EXPECT_EQ(Texts(model.Lines(1)), std::vector<std::string>{"restored"});
    EXPECT_EQ(heard, (std::vector<SectionModel::Change>(2, SectionModel::Change::Loaded)));
}

}  // namespace
}  // namespace pomix
