#include "core/planner/calendar_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/planner/tests/planner_test_support.h"
#include "storage/errors.h"

namespace pomix {
namespace {

using testing::Day;
using testing::MakeEvent;
using testing::Names;

Bytes Written(const EventList& list) {
    MemoryStream stream;
    WriteCalendar(list, stream);
    return stream.Data();
}

Bytes Le32(std::int32_t v) {
    Bytes b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

Bytes LeDouble(double v) {
    Bytes b(8);
    std::memcpy(b.data(), &v, 8);
    return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

EventList Sample() {
    EventList list;
    list.Append(MakeEvent("first", Day(2025, 3, 1), EncodeTime(9, 5), 1, 0, {"line 1", "", "x"}));
    list.Append(Event("", {}, Day(2025, 3, 2), EncodeTime(23, 59), 1, 0, 1));
    list.Append(MakeEvent("third", Day(2026, 1, 31), 0, 0, 1, {""}));
    return list;
}

TEST(CalendarFormat, OneRecordFieldByField) {
    EventList list;
    list.Append(Event("A", {}, 1.0, 0.5, 1, 1, 0));
    const Bytes expected = Concat({Le32(1),                      // count
                                   Le32(1), {0x00, 'A'},          // Name with its filler
                                   Le32(-1),                      // empty Memo
                                   LeDouble(1.0), LeDouble(0.5),  // Date, Time
                                   Le32(1), {0x01}, {0x00}});     // Reserved, Remind, Done
    EXPECT_EQ(Written(list), expected);
    EXPECT_EQ(Written(EventList{}), Le32(0));
}

TEST(CalendarFormat, ReadingAndWritingAgainGivesTheSameBytes) {
    EventList list = Sample();
    // Values the planner never writes itself still come back unchanged.
    list.Append(Event("odd", {"m"}, std::nan(""), -0.25, -7, 2, 255));
    list.Append(Event("odd too", {}, 1e300, 3.75, 0, 0x80, 1));
    const Bytes bytes = Written(list);

    MemoryStream in(bytes);
    EventList loaded;
    ReadCalendar(in, loaded);
    ASSERT_EQ(loaded.Count(), list.Count());
    EXPECT_EQ(Names(loaded), Names(list));
    EXPECT_EQ(loaded[0].Memo, (StrList{"line 1", "", "x"}));
    EXPECT_EQ(loaded[3].Reserved, -7);
    EXPECT_EQ(loaded[3].Remind, 2);
    EXPECT_EQ(loaded[3].Done, 255);
    EXPECT_EQ(Written(loaded), bytes);
}

TEST(CalendarFormat, AStreamCutShortKeepsTheWholeRecordsBeforeTheCut) {
    const EventList list = Sample();
    const Bytes bytes = Written(list);
    // Where each record ends, found by writing the first k records.
    std::vector<std::size_t> recordEnds;
    for (std::size_t k = 1; k <= list.Count(); ++k) {
        EventList prefix;
        for (std::size_t i = 0; i < k; ++i) prefix.Append(list[i]);
        recordEnds.push_back(Written(prefix).size());
    }
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        MemoryStream in(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
        EventList loaded;
        EXPECT_THROW(ReadCalendar(in, loaded), EStreamReadError) << cut;
        std::size_t whole = 0;
        while (whole < recordEnds.size() && recordEnds[whole] <= cut) ++whole;
        ASSERT_EQ(loaded.Count(), whole) << "cut at " << cut;
        for (std::size_t i = 0; i < whole; ++i) EXPECT_EQ(loaded[i].Name, list[i].Name);
        EXPECT_LE(in.Position(), cut);
    }
}

TEST(CalendarFormat, DamagedCountsAndLengths) {
    {  // negative count: no records, nothing more read
        MemoryStream in(Concat({Le32(-3), Bytes(40, 0)}));
        EventList loaded;
        ReadCalendar(in, loaded);
        EXPECT_TRUE(loaded.Empty());
        EXPECT_EQ(in.Position(), 4u);
    }
    {  // a count far beyond the stream: the one record there is kept, then the read fails
        EventList one;
        one.Append(MakeEvent("only", 2));
        Bytes bytes = Written(one);
        const Bytes huge = Le32(std::numeric_limits<std::int32_t>::max());
        std::copy(huge.begin(), huge.end(), bytes.begin());
        MemoryStream in(bytes);
        EventList loaded;
        EXPECT_THROW(ReadCalendar(in, loaded), EStreamReadError);
        ASSERT_EQ(loaded.Count(), 1u);
        EXPECT_EQ(loaded[0].Name, "only");
    }
    {  // a title length larger than the stream
        MemoryStream in(Concat({Le32(1), Le32(0x7FFFFFF0), {0, 'x'}}));
        EventList loaded;
        EXPECT_THROW(ReadCalendar(in, loaded), EStreamReadError);
        EXPECT_TRUE(loaded.Empty());
    }
    {  // an empty stream (a container without the "Calendar" stream gives one)
        MemoryStream in;
        EventList loaded;
        EXPECT_THROW(ReadCalendar(in, loaded), EStreamReadError);
    }
}

}  // namespace
}  // namespace pomix
