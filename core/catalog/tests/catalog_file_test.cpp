#include <gtest/gtest.h>

#include "core/catalog/catalog.h"
#include "storage/tests/section_file_check.h"

namespace pomix {
namespace {

TEST(CatalogFile, RoundTripResavesTheSameBytesAndDamageKeepsWhatWasRead) {
    CatalogList list;
    list.Add(TCatalogNote(2, "one", {"a"}));
    list.Add(TCatalogNote(9, "two", {}));
    testing::CheckSectionFile(
        kCatalogFileName, kCatalogStreamName, list, LoadCatalogList, SaveCatalogList,
        WriteCatalogList,
        [](const CatalogList& loaded) {
            ASSERT_EQ(loaded.Count(), 2u);
            EXPECT_EQ(loaded[1].Category, 9);
        },
        [](const CatalogList& cut) {
            ASSERT_EQ(cut.Count(), 1u);
            EXPECT_EQ(cut[0].Name, "one");
        });
}

}  // namespace
}  // namespace pomix
