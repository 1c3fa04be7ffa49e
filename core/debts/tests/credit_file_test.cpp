#include <gtest/gtest.h>

#include <filesystem>

#include "core/debts/credit.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"
#include "storage/tests/section_file_check.h"

namespace pomix {
namespace {

using testing::FileContents;

TEST(CreditFile, RoundTripResavesTheSameBytesAndDamageKeepsWhatWasRead) {
    CreditList list;
    list.Add(TCreditNote(1, "Ann", "5 $", 46000.5, 46007));
    list.Add(TCreditNote(2, "Bob", "book", 46001.25, 46010));
    testing::CheckSectionFile(
        kCreditFileName, kCreditStreamName, list, LoadCreditList, SaveCreditList,
        WriteCreditList,
        [](const CreditList& loaded) {
            ASSERT_EQ(loaded.Count(), 2u);
            EXPECT_EQ(loaded[1].CreateDate, 46001.25);
        },
        [](const CreditList& cut) {
            ASSERT_EQ(cut.Count(), 1u);
            EXPECT_EQ(cut[0].Person, "Ann");
        });
}

TEST(CreditFile, ANegativeCountOrTrailingBytesAreKeptAsDamagedBeforeTheFirstSave) {
    for (const bool negative : {true, false}) {
        testing::ScratchDir dir;
        const std::string path = dir.File(kCreditFileName);
        StreamContainer container;
        CreditList list;
        list.Add(TCreditNote(1, "Ann", "5 $", 46000.5, 46007));
        MemoryStream stream;
        WriteCreditList(list, stream);
        std::string bytes = stream.ToString();
        if (negative) {
            bytes.replace(0, 4, std::string("\xFE\xFF\xFF\xFF", 4));
        } else {
            bytes += "junk";
        }
        MemoryStream damaged(bytes);
        container.AddStream(kCreditStreamName, &damaged);
        container.SaveToFile(path);
        container.ClearStreams();
        const std::string original = FileContents(path);

        SectionFile file(container, path, kCreditStreamName);
        CreditList loaded;
        EXPECT_FALSE(LoadCreditList(file, loaded)) << negative;
        EXPECT_EQ(loaded.Count(), negative ? 0u : 1u);
        SaveCreditList(file, loaded, true);
        ASSERT_FALSE(file.KeptAs().empty()) << negative;
        EXPECT_EQ(FileContents(file.KeptAs()), original);
        CreditList again;
        EXPECT_TRUE(LoadCreditList(file, again));
        EXPECT_EQ(again.Count(), loaded.Count());
    }
}

}  // namespace
}  // namespace pomix
