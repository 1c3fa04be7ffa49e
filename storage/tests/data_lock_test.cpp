#include "storage/data_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "storage/record_list.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

using testing::ScratchDir;

TEST(DataFolderLock, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    ScratchDir dir;
    {
        DataFolderLock first(dir.Path());
        ASSERT_EQ(first.GetState(), DataFolderLock::State::Locked) << first.Error();
        DataFolderLock second(dir.Path() + "/");  // the same file, however the folder is written
        EXPECT_EQ(second.GetState(), DataFolderLock::State::HeldElsewhere);
        EXPECT_TRUE(second.Error().empty());

        // Moving the lock keeps it held.
        DataFolderLock moved(std::move(first));
        EXPECT_TRUE(moved.Locked());
        EXPECT_EQ(DataFolderLock(dir.Path()).GetState(), DataFolderLock::State::HeldElsewhere);
    }
    // The lock file stays behind but holds nothing.
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/pomix.lock"));
    EXPECT_TRUE(DataFolderLock(dir.Path()).Locked());
}

TEST(DataFolderLock, AnotherProcessIsRefusedAndAKilledHolderLeavesNoLock) {
    ScratchDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DataFolderLock held(dir.Path());
        const char state = held.Locked() ? 'L' : 'F';
        if (::write(ready[1], &state, 1) != 1) ::_exit(2);
        ::pause();  // killed below while holding the lock
        ::_exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ASSERT_EQ(state, 'L');
    EXPECT_EQ(DataFolderLock(dir.Path()).GetState(), DataFolderLock::State::HeldElsewhere);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(DataFolderLock(dir.Path()).Locked());
}

TEST(DataFolderLock, MissingFolderFailsWithTheLockFileNamed) {
    ScratchDir dir;
    DataFolderLock lock(dir.Path() + "/absent");
    EXPECT_EQ(lock.GetState(), DataFolderLock::State::Failed);
    EXPECT_NE(lock.Error().find("absent/pomix.lock"), std::string::npos) << lock.Error();
}

struct Item {
    int Value = 0;
    std::int32_t Index = 0;
};

TEST(RecordList, SerialNumbersReachTheirRecordAfterDeletesAndMoves) {
    RecordList<Item> list;
    for (int v : {10, 20, 30}) list.Add(Item{v});
    const std::uint64_t first = list.SerialAt(0), last = list.SerialAt(2);
    list.Exchange(0, 2);
    ASSERT_NE(list.BySerial(first), nullptr);
    EXPECT_EQ(list.BySerial(first)->Value, 10);
    EXPECT_EQ(list.FindSerial(first), std::optional<std::size_t>(2));
    list.Delete(std::size_t{0});  // the record that was last
    EXPECT_EQ(list.BySerial(last), nullptr);
    // A new record never takes a deleted one's number.
    list.Add(Item{40});
    EXPECT_EQ(list.BySerial(last), nullptr);
    EXPECT_EQ(list.BySerial(first)->Value, 10);
}

}  // namespace
}  // namespace pomix
