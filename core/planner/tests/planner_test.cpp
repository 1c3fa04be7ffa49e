#include "core/planner/planner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/planner/calendar_format.h"
#include "core/planner/event_sort.h"
#include "core/planner/tests/planner_test_support.h"
#include "storage/tests/scratch_dir.h"

namespace pomix {
namespace {

namespace fs = std::filesystem;
using testing::Day;
using testing::MakeEvent;
using testing::Names;

Bytes FileBytes(const fs::path& path) {
    return ReadFileBytes(path.string());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class PlannerFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = scratch.Path();
        path = dir / kCalendarFile;
    }

    // A container file holding one "Calendar" stream with these bytes.
    void WriteCalendarFile(const Bytes& streamBytes, const char* streamName = kCalendarStream) {
        MemoryStream stream(streamBytes);
        container.AddStream(streamName, &stream);
        container.SaveToFile(path.string());
        container.ClearStreams();
    }

    EventFields Fields(const std::string& name, DateTime date, bool remind = true) {
        EventFields f;
        f.Name = name;
        f.Memo = {"memo of " + name};
        f.Date = date;
        f.Time = EncodeTime(10, 30);
        f.Remind = remind;
        return f;
    }

    testing::ScratchDir scratch;
    fs::path dir, path;
    StreamContainer container;
};

TEST_F(PlannerFile, AMissingFileIsAnEmptyListAndNothingIsWrittenWithoutAChange) {
    Planner planner(container, path.string());
    planner.LoadCalendarList();
    EXPECT_TRUE(planner.Events.Empty());
    EXPECT_FALSE(planner.LoadFailed());
    EXPECT_FALSE(planner.Modified());
    planner.SaveCalendarList();
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(PlannerFile, SavedEventsLoadBackInOrder) {
    {
        Planner planner(container, path.string());
        planner.LoadCalendarList();
        planner.AddEvent(Fields("b", Day(2025, 3, 2)));
        planner.AddEvent(Fields("a", Day(2025, 3, 1), false));
        EXPECT_TRUE(planner.Modified());
        planner.SaveCalendarList();
        EXPECT_FALSE(planner.Modified());
    }
    Planner planner(container, path.string());
    planner.LoadCalendarList();
    ASSERT_EQ(Names(planner.Events), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(planner.Events[0].Reserved, 1);
    EXPECT_EQ(planner.Events[0].Remind, 1);
    EXPECT_EQ(planner.Events[1].Remind, 0);
    EXPECT_EQ(planner.Events[1].Memo, StrList{"memo of a"});
    EXPECT_EQ(planner.Events[1].Time, EncodeTime(10, 30));
    EXPECT_EQ(planner.Events[1].Index, 1);
}

TEST_F(PlannerFile, AnUnchangedOrOnlySortedListLeavesTheFileByteForByte) {
    EventList list;
    list.Append(Event("z", {"x"}, Day(2025, 5, 1), 0.25, 42, 2, 7));
    list.Append(Event("a", {}, Day(2024, 1, 1), 0.5, 1, 1, 0));
    MemoryStream stream;
    WriteCalendar(list, stream);
    WriteCalendarFile(stream.Data());
    const Bytes original = FileBytes(path);

    Planner planner(container, path.string());
    planner.LoadCalendarList();
    planner.SortedEvents(kSortByName);
    EXPECT_EQ(Names(planner.Events), (std::vector<std::string>{"a", "z"}));
    EXPECT_FALSE(planner.Modified());
    planner.SaveCalendarList();
    EXPECT_EQ(FileBytes(path), original);

    // Saved with the file's own order, the same records give the same file.
    Planner again(container, path.string());
    again.LoadCalendarList();
    again.MarkChanged();
    again.SaveCalendarList();
    EXPECT_EQ(FileBytes(path), original);
}

TEST_F(PlannerFile, StoredReservedAndFlagBytesSurviveEdits) {
    EventList list;
    list.Append(Event("edited", {}, Day(2025, 5, 1), 0.25, 42, 1, 0));
    list.Append(Event("untouched", {}, Day(2025, 5, 2), 0.25, -9, 2, 200));
    MemoryStream stream;
    WriteCalendar(list, stream);
    WriteCalendarFile(stream.Data());
    {
        Planner planner(container, path.string());
        planner.LoadCalendarList();
        ASSERT_TRUE(planner.EditEvent(planner.Events.RefAt(0), Fields("renamed", Day(2025, 6, 1))));
        planner.SaveCalendarList();
    }
    Planner planner(container, path.string());
    planner.LoadCalendarList();
    ASSERT_EQ(planner.Events.Count(), 2u);
    EXPECT_EQ(planner.Events[0].Name, "renamed");
    EXPECT_EQ(planner.Events[0].Reserved, 42);
    EXPECT_EQ(planner.Events[1].Reserved, -9);
    EXPECT_EQ(planner.Events[1].Remind, 2);
    EXPECT_EQ(planner.Events[1].Done, 200);
}

TEST_F(PlannerFile, TheLastDeletionSavesAnEmptyList) {
    Planner planner(container, path.string());
    planner.LoadCalendarList();
    const EventRef only = planner.AddEvent(Fields("only", Day(2025, 1, 1)));
    planner.SaveCalendarList();
    ASSERT_TRUE(planner.DeleteEvent(only));
    EXPECT_TRUE(planner.Modified());
    planner.SaveCalendarList();

    MemoryStream stream;
    container.LoadFromFile(path.string());
    container.GetStream(kCalendarStream, stream);
    container.ClearStreams();
    EXPECT_EQ(stream.Data(), (Bytes{0, 0, 0, 0}));
    planner.LoadCalendarList();
    EXPECT_TRUE(planner.Events.Empty());
    EXPECT_FALSE(planner.LoadFailed());
}

TEST_F(PlannerFile, ATruncatedStreamKeepsItsWholeRecordsAndTheDamagedFile) {
    EventList list;
    for (const char* name : {"one", "two", "three"}) list.Append(MakeEvent(name, Day(2025, 1, 1)));
    MemoryStream stream;
    WriteCalendar(list, stream);
    Bytes cut = stream.Data();
    cut.resize(cut.size() - 3);  // inside the last record
    WriteCalendarFile(cut);
    const Bytes damaged = FileBytes(path);

    Planner planner(container, path.string());
    planner.LoadCalendarList();
    EXPECT_TRUE(planner.LoadFailed());
    EXPECT_EQ(Names(planner.Events), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(container.Count(), 0u);  // the shared container is left empty for the next user

    planner.AddEvent(Fields("new", Day(2025, 2, 1)));
    planner.SaveCalendarList();
    ASSERT_FALSE(planner.KeptAs().empty());
    EXPECT_EQ(FileBytes(planner.KeptAs()), damaged);
    Planner reloaded(container, path.string());
    reloaded.LoadCalendarList();
    EXPECT_EQ(Names(reloaded.Events), (std::vector<std::string>{"one", "two", "new"}));
}

TEST_F(PlannerFile, GarbageOrAMissingStreamGivesAnEmptyList) {
    WriteFile(path, Bytes{0x26, 0x20, 1, 2, 3, 4, 5});
    Planner garbage(container, path.string());
    garbage.LoadCalendarList();
    EXPECT_TRUE(garbage.Events.Empty());
    EXPECT_TRUE(garbage.LoadFailed());

    WriteCalendarFile(Bytes{1, 0, 0, 0}, "Abook");
    Planner other(container, path.string());
    other.LoadCalendarList();
    EXPECT_TRUE(other.Events.Empty());
    EXPECT_TRUE(other.LoadFailed());
}

}  // namespace
}  // namespace pomix
