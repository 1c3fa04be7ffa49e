#include <gtest/gtest.h>

#include <filesystem>

#include "core/addressbook/address.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"
#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::FileContents;
using testing::W;

class AddressFile : public ::testing::Test {
protected:
    static AddressList Sample() {
        AddressList list;
        list.Add(
            Contact(W("Петров"), W("Иван"), "", 22000, "", "1", "", "", "", {W("заметка")}, 0));
        list.Add(Contact("Smith", "", "", 23000, "", "", "", "", "", {}, kNoCategory));
        return list;
    }

    testing::ScratchDir dir;
    std::string path = dir.File(kAddressFileName);
    StreamContainer container;
    SectionFile file{container, path, kAddressStreamName};
};

TEST_F(AddressFile, MissingFileIsAnEmptyBookAndUnmodifiedListsAreNotWritten) {
    AddressList list = Sample();
    EXPECT_TRUE(LoadAddressList(file, list));
    EXPECT_TRUE(list.Empty());
    SaveAddressList(file, Sample(), false);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(AddressFile, SavedRecordsLoadBackAndResaveToTheSameBytes) {
    SaveAddressList(file, Sample(), true);
    const std::string first = FileContents(path);
    SectionFile again(container, path, kAddressStreamName);
    AddressList loaded;
    ASSERT_TRUE(LoadAddressList(again, loaded));
    ASSERT_EQ(loaded.Count(), 2u);
    EXPECT_EQ(loaded[0].Note, StrList{W("заметка")});
    EXPECT_EQ(loaded[1].Category, kNoCategory);
    EXPECT_EQ(container.Count(), 0u);  // the shared container is left empty
    SaveAddressList(again, loaded, true);
    EXPECT_EQ(FileContents(path), first);
}

TEST_F(AddressFile, ATruncatedStreamKeepsTheRecordsBeforeTheDamage) {
    MemoryStream stream;
    WriteAddressList(Sample(), stream);
    MemoryStream cut(stream.ToString().substr(0, stream.Size() - 3));
    container.AddStream(kAddressStreamName, &cut);
    container.SaveToFile(path);
    container.ClearStreams();

    AddressList loaded;
    EXPECT_FALSE(LoadAddressList(file, loaded));
    ASSERT_EQ(loaded.Count(), 1u);
    EXPECT_EQ(loaded[0].Surname, W("Петров"));
    // The next save keeps the damaged file aside before writing the list.
    SaveAddressList(file, loaded, true);
    EXPECT_EQ(file.KeptAs(), path + ".damaged");
    EXPECT_TRUE(std::filesystem::exists(path + ".damaged"));
}

}  // namespace
}  // namespace pomix
