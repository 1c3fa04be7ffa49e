#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/catalog.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

using testing::FileContents;

TEST(CatalogFile, RoundTripResavesTheSameBytesAndDamageKeepsWhatWasRead) {
    testing::ScratchDir dir;
    const std::string path = dir.File(kCatalogFileName);
    StreamContainer container;
    CatalogList list;
    list.Add(TCatalogNote(2, "one", {"a"}));
    list.Add(TCatalogNote(9, "two", {}));
    {
        SectionFile file(container, path, kCatalogStreamName);
        SaveCatalogList(file, list, false);
        EXPECT_FALSE(std::filesystem::exists(path));
        SaveCatalogList(file, list, true);
    }
    const std::string first = FileContents(path);
    SectionFile file(container, path, kCatalogStreamName);
    CatalogList loaded;
    ASSERT_TRUE(LoadCatalogList(file, loaded));
    ASSERT_EQ(loaded.Count(), 2u);
    EXPECT_EQ(loaded[1].Category, 9);
    SaveCatalogList(file, loaded, true);
    EXPECT_EQ(FileContents(path), first);

    MemoryStream stream;
    WriteCatalogList(list, stream);
    MemoryStream cut(stream.ToString().substr(0, stream.Size() - 1));
    container.AddStream(kCatalogStreamName, &cut);
    container.SaveToFile(path);
    container.ClearStreams();
    EXPECT_FALSE(LoadCatalogList(file, loaded));
    ASSERT_EQ(loaded.Count(), 1u);
    EXPECT_EQ(loaded[0].Name, "one");
}

}  // namespace
}  // namespace pomix
