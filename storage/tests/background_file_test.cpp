// Saves taken on one thread and written on another: images of one file written through the
// save queue in a row, over a sound file and over a damaged one, end as the same saves done
// in one go would: the last image's bytes, and the damaged file moved away once.
#include <gtest/gtest.h>

#include <filesystem>

#include "storage/field_codec.h"
#include "storage/work_queue.h"
#include "storage/section_file.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

namespace fs = std::filesystem;

SectionFile::Writer Writing(const StrList& records) {
    return [records](Stream& stream) {
        stream.WriteValue<std::int32_t>(static_cast<std::int32_t>(records.size()));
        for (const std::string& r : records) WriteStr(r, stream);
    };
}

// The files beside the data file, the day's backup folder left out.
std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().filename() != "Backup") names.push_back(e.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BackgroundFile, ImagesOfOneFileWrittenInARowEndAsSavesInOneGo) {
    struct Case {
        const char* before;  // the file's bytes before; null: no file
        bool compressed;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {nullptr, true, {"Note.dat"}},
        {nullptr, false, {"Note.dat"}},
        {"&  damaged", true, {"Note.dat", "Note.dat.damaged"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before ? c.before : "no file");
        testing::ScratchDir scratch;
        const std::string path = scratch.File("Note.dat");
        if (c.before) testing::WriteFileContents(path, c.before);
        StreamContainer container;
        container.Compressed = c.compressed;
        SectionFile file(container, path, "NBook");
        EXPECT_EQ(file.Load([](Stream&) {}), c.before == nullptr);

        std::vector<std::shared_ptr<FileImage>> images;
        {
            WorkQueue queue;
            for (const StrList& records : {StrList{"one"}, StrList{"one", "two"}, StrList{"one", "two", "3"}}) {
                images.push_back(file.TakeImage(Writing(records)));
                queue.Post([image = images.back()] { image->Write(); });
            }
            queue.Wait();
        }
        for (const auto& image : images) file.Written(*image);
        EXPECT_EQ(Entries(scratch.Path()), c.entries);
        if (c.before) {
            EXPECT_EQ(file.KeptAs(), path + ".damaged");
            EXPECT_EQ(testing::FileContents(path + ".damaged"), c.before);
        }

        testing::ScratchDir other;
        StreamContainer reference;
        reference.Compressed = c.compressed;
        SectionFile(reference, other.File("Note.dat"), "NBook").Save(Writing({"one", "two", "3"}));
        EXPECT_EQ(testing::FileContents(path), testing::FileContents(other.File("Note.dat")));
    }
}

// The queue runs what was posted in order, and the
// destructor lets everything posted run.
TEST(BackgroundFile, QueueRunsTasksInPostingOrder) {
    std::vector<int> ran;
    {
        WorkQueue queue;
        for (int i = 0; i < 100; ++i) queue.Post([&ran, i] { ran.push_back(i); });
    }
    ASSERT_EQ(ran.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
}

}  // namespace
}  // namespace pomix
