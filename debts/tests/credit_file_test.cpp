#include <gtest/gtest.h>

#include <filesystem>

#include "debts/credit.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

using testing::FileContents;

TEST(CreditFile, RoundTripResavesTheSameBytesAndDamageKeepsWhatWasRead) {
    testing::ScratchDir dir;
    const std::string path = dir.File(kCreditFileName);
    StreamContainer container;
    CreditList list;
    list.Add(TCreditNote(1, "Ann", "5 $", 46000.5, 46007));
    list.Add(TCreditNote(2, "Bob", "book", 46001.25, 46010));
    {
        SectionFile file(container, path, kCreditStreamName);
        SaveCreditList(file, list, false);
        EXPECT_FALSE(std::filesystem::exists(path));
        SaveCreditList(file, list, true);
    }
    const std::string first = FileContents(path);
    SectionFile file(container, path, kCreditStreamName);
    CreditList loaded;
    ASSERT_TRUE(LoadCreditList(file, loaded));
    ASSERT_EQ(loaded.Count(), 2u);
    EXPECT_EQ(loaded[1].CreateDate, 46001.25);
    SaveCreditList(file, loaded, true);
    EXPECT_EQ(FileContents(path), first);

    MemoryStream stream;
    WriteCreditList(list, stream);
    MemoryStream cut(stream.ToString().substr(0, stream.Size() - 1));
    container.AddStream(kCreditStreamName, &cut);
    container.SaveToFile(path);
    container.ClearStreams();
    EXPECT_FALSE(LoadCreditList(file, loaded));
    ASSERT_EQ(loaded.Count(), 1u);
    EXPECT_EQ(loaded[0].FistName, "Ann");
}

}  // namespace
}  // namespace pomix
