#include "core/catalog/catalog.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "storage/errors.h"
#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::W;

std::string Bytes(const CatalogList& list) {
    MemoryStream stream;
    WriteCatalogList(list, stream);
    return stream.ToString();
}

std::vector<std::string> Texts(const std::vector<ListLine>& lines) {
    std::vector<std::string> texts;
    for (const auto& line : lines) texts.push_back(line.Text);
    return texts;
}

TEST(CatalogStream, LaysOutCategoryNameAndMemo) {
    CatalogList list;
    list.Add(TCatalogNote(4, "AB", {"x"}));
    const std::string expected("\x01\0\0\0"          // count
                               "\x04\0\0\0"          // Category
                               "\x02\0\0\0\0AB"      // Name
                               "\0\0\0\0"            // Memo: count - 1 = 0
                               "\x01\0\0\0\0x", 25);  // its line
    EXPECT_EQ(Bytes(list), expected);
}

TEST(CatalogStream, RoundTripKeepsEveryValueAndTheBytes) {
    CatalogList list;
    list.Add(TCatalogNote(1, W("Альбом"), {W("трек 1"), W("трек 2")}));
    list.Add(TCatalogNote(-3, "", {}));
    list.Add(TCatalogNote(2000000000, "\xFF\x01", {""}));
    const std::string bytes = Bytes(list);
    MemoryStream in(bytes);
    CatalogList loaded;
    ReadCatalogList(in, loaded);
    ASSERT_EQ(loaded.Count(), 3u);
    EXPECT_EQ(loaded[0].Name, W("Альбом"));
    EXPECT_EQ(loaded[0].Memo, (StrList{W("трек 1"), W("трек 2")}));
    EXPECT_EQ(loaded[1].Category, -3);
    EXPECT_EQ(loaded[2].Category, 2000000000);
    EXPECT_EQ(loaded[2].Memo, StrList{""});
    EXPECT_EQ(Bytes(loaded), bytes);
}

TEST(CatalogStream, DamagedStreamsKeepTheEntriesReadBefore) {
    CatalogList list;
    list.Add(TCatalogNote(1, "one", {"a", "b"}));
    list.Add(TCatalogNote(2, "two", {}));
    const std::string bytes = Bytes(list);
    CatalogList first;
    first.Add(list[0]);
    const std::size_t firstEnd = Bytes(first).size();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        MemoryStream in(bytes.substr(0, cut));
        CatalogList loaded;
        EXPECT_THROW(ReadCatalogList(in, loaded), EStreamReadError) << cut;
        EXPECT_EQ(loaded.Count(), cut >= firstEnd ? 1u : 0u) << cut;
    }
    MemoryStream negative(std::string("\x80\0\0\x80", 4));  // INT32_MIN
    CatalogList none;
    EXPECT_NO_THROW(ReadCatalogList(negative, none));
    EXPECT_TRUE(none.Empty());
    // A memo count of two billion lines with nothing behind it.
    MemoryStream huge(std::string("\x01\0\0\0\x01\0\0\0\0\0\0\0\xFF\xFF\xFF\x7F", 16));
    EXPECT_THROW(ReadCatalogList(huge, none), EStreamReadError);
    EXPECT_TRUE(none.Empty());
}

TEST(CatalogCategory, OnlyTheSixCategoriesHaveADropDownPosition) {
    EXPECT_EQ(CategoryPosition(1), 0);
    EXPECT_EQ(CategoryPosition(6), 5);
    for (const std::int32_t outside : {0, 7, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(CategoryPosition(outside), -1) << outside;
    }
}

class CatalogLists : public ::testing::Test {
protected:
    void SetUp() override {
        list.Add(TCatalogNote(1, "beta", {"rock", "live"}));
        list.Add(TCatalogNote(2, "Alpha", {"jazz"}));
        list.Add(TCatalogNote(1, "alpha", {"beta"}));
        list.Add(TCatalogNote(6, "Gamma", {}));
        list.Add(TCatalogNote(0, "Zero", {}));
        list.Add(TCatalogNote(7, "Seven", {"beta"}));
        list.Add(TCatalogNote(1, "Delta", {}));
    }
    CatalogList list;
};

TEST_F(CatalogLists, TitlesOfOneCategoryAlphabetically) {
    const auto lines = UpDateListBox(list, 1);
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"alpha", "beta", "Delta"}));
    EXPECT_EQ(list.Resolve(lines[0]), &list[2]);
    EXPECT_EQ(list[6].Index, 6);
    EXPECT_EQ(Texts(UpDateListBox(list, 6)), std::vector<std::string>{"Gamma"});
    EXPECT_TRUE(UpDateListBox(list, 3).empty());
}

TEST_F(CatalogLists, CountsCoverTheSixCategoriesOnly) {
    EXPECT_EQ(CategoryCounts(list), (std::array<int, 6>{3, 1, 0, 0, 0, 1}));
    EXPECT_EQ(CategoryCounts(CatalogList()), (std::array<int, 6>{}));
}

TEST_F(CatalogLists, SearchWithItsThreeChoicesOverAllCategories) {
    EXPECT_EQ(Texts(FoundRecord(list, "ALPHA", CatalogSearch::ByName)),
              (std::vector<std::string>{"Alpha", "alpha"}));
    EXPECT_EQ(Texts(FoundRecord(list, "beta", CatalogSearch::ByName)),
              std::vector<std::string>{"beta"});
    EXPECT_EQ(Texts(FoundRecord(list, "beta", CatalogSearch::ByMemo)),
              (std::vector<std::string>{"alpha", "Seven"}));
    EXPECT_EQ(Texts(FoundRecord(list, "beta", CatalogSearch::Everywhere)),
              (std::vector<std::string>{"alpha", "beta", "Seven"}));
    EXPECT_EQ(Texts(FoundRecord(list, "?a??a", CatalogSearch::ByName)),
              std::vector<std::string>{"Gamma"});
    EXPECT_EQ(Texts(FoundRecord(list, "*a*", CatalogSearch::ByMemo)),
              (std::vector<std::string>{"Alpha", "alpha", "Seven"}));
    EXPECT_TRUE(FoundRecord(list, "bet", CatalogSearch::Everywhere).empty());
    EXPECT_TRUE(FoundRecord(list, "", CatalogSearch::Everywhere).empty());
}

}  // namespace
}  // namespace pomix
