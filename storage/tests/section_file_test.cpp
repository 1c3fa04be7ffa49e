#include "storage/section_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "storage/backups.h"
#include "storage/errors.h"
#include "storage/field_codec.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

namespace fs = std::filesystem;

// Records of a toy section: an int32 count, then one text field each.
void WriteRecords(const StrList& records, Stream& stream) {
    stream.WriteValue<std::int32_t>(static_cast<std::int32_t>(records.size()));
    for (const std::string& r : records) WriteStr(r, stream);
}

// Reads into records as it goes, so a failure leaves what came before it.
SectionFile::Reader ReadInto(StrList& records) {
    return [&records](Stream& stream) {
        const auto count = stream.ReadValue<std::int32_t>();
        for (std::int32_t i = 0; i < count; ++i) records.push_back(ReadStr(stream));
    };
}

SectionFile::Writer Writing(const StrList& records) {
    return [records](Stream& stream) { WriteRecords(records, stream); };
}

class SectionFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = scratch_.Path();
        path_ = scratch_.File("Note.dat");
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            // The day's copies are the backup tests' concern.
            if (e.path().filename() != kBackupFolderName) names.push_back(e.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // A container file whose NBook stream holds the given raw bytes.
    void WriteContainer(const std::string& streamBytes, const std::string& name = "NBook") {
        StreamContainer c;
        MemoryStream s(streamBytes);
        c.AddStream(name, &s);
        c.SaveToFile(path_);
    }

    testing::ScratchDir scratch_;
    fs::path dir_;
    std::string path_;
    StreamContainer container_;
};

TEST_F(SectionFileTest, MissingFileIsANewEmptySection) {
    SectionFile file(container_, path_, "NBook");
    StrList records;
    EXPECT_TRUE(file.Load(ReadInto(records)));
    EXPECT_FALSE(file.LoadFailed());
    EXPECT_TRUE(records.empty());

    file.Save(Writing({"one"}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"Note.dat"});
    EXPECT_EQ(file.KeptAs(), "");
}

TEST_F(SectionFileTest, SaveAndLoadRoundTripAndLeaveTheContainerEmpty) {
    SectionFile file(container_, path_, "NBook");
    file.Save(Writing({"first", "", "third"}));
    EXPECT_EQ(container_.Count(), 0u);

    StrList records;
    SectionFile again(container_, path_, "NBook");
    EXPECT_TRUE(again.Load(ReadInto(records)));
    EXPECT_EQ(records, (StrList{"first", "", "third"}));
    EXPECT_EQ(container_.Count(), 0u);
}

TEST_F(SectionFileTest, DamagedFileIsKeptBeforeTheFirstSaveOnly) {
    const std::string damaged = "&  this is no container at all";
    testing::WriteFileContents(path_, damaged);
    SectionFile file(container_, path_, "NBook");
    StrList records;
    EXPECT_FALSE(file.Load(ReadInto(records)));
    EXPECT_TRUE(file.LoadFailed());
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(container_.Count(), 0u);
    // Loading alone moves nothing.
    EXPECT_EQ(Entries(), std::vector<std::string>{"Note.dat"});

    file.Save(Writing({"new"}));
    EXPECT_EQ(file.KeptAs(), path_ + ".damaged");
    EXPECT_EQ(testing::FileContents(path_ + ".damaged"), damaged);
    StrList reread;
    EXPECT_TRUE(SectionFile(container_, path_, "NBook").Load(ReadInto(reread)));
    EXPECT_EQ(reread, StrList{"new"});

    // The second save writes over its own file.
    file.Save(Writing({"newer"}));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Note.dat", "Note.dat.damaged"}));
    EXPECT_EQ(testing::FileContents(path_ + ".damaged"), damaged);
}

TEST_F(SectionFileTest, KeptNameSkipsNamesThatAreTaken) {
    testing::WriteFileContents(path_, "bad");
    testing::WriteFileContents(path_ + ".damaged", "older 0");
    testing::WriteFileContents(path_ + ".damaged.1", "older 1");
    SectionFile file(container_, path_, "NBook");
    StrList records;
    EXPECT_FALSE(file.Load(ReadInto(records)));
    file.Save(Writing({}));
    EXPECT_EQ(file.KeptAs(), path_ + ".damaged.2");
    EXPECT_EQ(testing::FileContents(path_ + ".damaged"), "older 0");
    EXPECT_EQ(testing::FileContents(path_ + ".damaged.1"), "older 1");
    EXPECT_EQ(testing::FileContents(path_ + ".damaged.2"), "bad");
}

TEST_F(SectionFileTest, TruncatedStreamKeepsTheRecordsReadBeforeIt) {
    MemoryStream stream;
    WriteRecords({"a", "b", "c"}, stream);
    std::string bytes = stream.ToString();
    bytes.resize(bytes.size() - 2);  // the last text ends early
    WriteContainer(bytes);
    const std::string before = testing::FileContents(path_);

    SectionFile file(container_, path_, "NBook");
    StrList records;
    EXPECT_FALSE(file.Load(ReadInto(records)));
    EXPECT_EQ(records, (StrList{"a", "b"}));
    file.Save(Writing(records));
    EXPECT_EQ(testing::FileContents(path_ + ".damaged"), before);
}

TEST_F(SectionFileTest, DamagedLargeFileLeavesNoRecords) {
    // Large enough to be read while it is decoded; cut so that decoding fails midway.
    StrList many;
    for (int i = 0; i < 80000; ++i)
        many.push_back("record " + std::to_string(i * 7919) + " of a toy");
    MemoryStream stream;
    WriteRecords(many, stream);
    WriteContainer(stream.ToString());
    const std::string whole = testing::FileContents(path_);
    testing::WriteFileContents(path_, whole.substr(0, whole.size() * 2 / 3));

    struct Records {
        StrList lines;
        void Clear() { lines.clear(); }
    } records{{"stale"}};
    SectionFile file(container_, path_, "NBook");
    EXPECT_FALSE(file.LoadList(records, [](Stream& s, Records& into) { ReadInto(into.lines)(s); }));
    EXPECT_TRUE(records.lines.empty());
    EXPECT_TRUE(file.LoadFailed());
}

TEST_F(SectionFileTest, FileWithoutTheSectionsStreamCountsAsDamaged) {
    MemoryStream stream;
    WriteRecords({"x"}, stream);
    WriteContainer(stream.ToString(), "Other");
    SectionFile file(container_, path_, "NBook");
    StrList records;
    EXPECT_FALSE(file.Load(ReadInto(records)));
    file.Save(Writing({}));
    EXPECT_EQ(file.KeptAs(), path_ + ".damaged");
}

TEST_F(SectionFileTest, AnyReaderErrorMarksTheLoadFailed) {
    WriteContainer(std::string(4, '\0'));
    SectionFile file(container_, path_, "NBook");
    EXPECT_FALSE(file.Load([](Stream&) { throw std::logic_error("reader gave up"); }));
    EXPECT_TRUE(file.LoadFailed());
    EXPECT_EQ(container_.Count(), 0u);
}

TEST_F(SectionFileTest, SuccessfulReloadCancelsTheKeeping) {
    testing::WriteFileContents(path_, "bad");
    SectionFile file(container_, path_, "NBook");
    StrList records;
    EXPECT_FALSE(file.Load(ReadInto(records)));
    WriteContainer(std::string(4, '\0'));
    EXPECT_TRUE(file.Load(ReadInto(records)));
    file.Save(Writing({}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"Note.dat"});
}

TEST_F(SectionFileTest, FailedSaveLeavesTheContainerEmpty) {
    SectionFile file(container_, (dir_ / "missing" / "Note.dat").string(), "NBook");
    StrList records;
    EXPECT_TRUE(file.Load(ReadInto(records)));
    EXPECT_THROW(file.Save(Writing({"lost?"})), EFileError);
    EXPECT_EQ(container_.Count(), 0u);

    // A writer that fails moves nothing away and changes nothing.
    testing::WriteFileContents(path_, "bad");
    SectionFile damaged(container_, path_, "NBook");
    EXPECT_FALSE(damaged.Load(ReadInto(records)));
    EXPECT_THROW(damaged.Save([](Stream&) { throw std::runtime_error("writer failed"); }),
                 std::runtime_error);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Note.dat"});
    damaged.Save(Writing({}));
    EXPECT_EQ(damaged.KeptAs(), path_ + ".damaged");
}

}  // namespace
}  // namespace pomix
