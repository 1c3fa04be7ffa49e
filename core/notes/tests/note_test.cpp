#include "core/notes/note.h"

#include <gtest/gtest.h>

#include "storage/errors.h"
#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::W;

NoteList Sample() {
    NoteList list;
    list.Add(TNote(46000.25, StrList{"first line", W("вторая")}, "abc"));
    list.Add(TNote(46001.5, StrList{}, ""));
    list.Add(TNote(-1.75, StrList{""}, W("ABC")));
    return list;
}

std::string Saved(const NoteList& list) {
    MemoryStream s;
    WriteNotes(list, s);
    return s.ToString();
}

TEST(NoteStream, RoundTripIsByteForByte) {
    const std::string bytes = Saved(Sample());
    MemoryStream s(bytes);
    NoteList loaded;
    ReadNotes(s, loaded);
    ASSERT_EQ(loaded.Count(), 3u);
    EXPECT_EQ(loaded[0].Memo, (StrList{"first line", W("вторая")}));
    EXPECT_EQ(loaded[2].Date, -1.75);
    EXPECT_EQ(Saved(loaded), bytes);
}

TEST(NoteStream, LayoutOfOneNote) {
    NoteList list;
    list.Add(TNote(2.5, StrList{"x"}, "T"));
    const double date = 2.5;
    const std::string expected =
        std::string("\1\0\0\0", 4) + std::string(reinterpret_cast<const char*>(&date), 8) +
        std::string("\1\0\0\0\0T", 6) + std::string("\0\0\0\0", 4) + std::string("\1\0\0\0\0x", 6);
    EXPECT_EQ(Saved(list), expected);
}

TEST(NoteStream, EmptyOrZeroCountStreamsHoldNoNotes) {
    for (const std::string& bytes :
         {std::string(), std::string("\0\0\0\0", 4), std::string("\xFF\xFF\xFF\xFF", 4)}) {
        MemoryStream s(bytes);
        NoteList list;
        ReadNotes(s, list);
        EXPECT_TRUE(list.Empty());
    }
}

TEST(NoteStream, TruncatedStreamKeepsTheNotesReadBeforeTheCut) {
    const std::string bytes = Saved(Sample());
    for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
        MemoryStream s(bytes.substr(0, cut));
        NoteList list;
        EXPECT_THROW(ReadNotes(s, list), EStreamReadError) << cut;
        EXPECT_LT(list.Count(), 3u);
    }
    // A count far beyond what the stream holds fails without reserving room for it.
    MemoryStream s(std::string("\xFF\xFF\xFF\x7F", 4));
    NoteList list;
    EXPECT_THROW(ReadNotes(s, list), EStreamReadError);
}

TEST(NoteSearch, ByTitleTextOrBoth) {
    const NoteList list = Sample();
    const TNote& abc = list[0];
    EXPECT_TRUE(NoteMatches(abc, "ABC", NoteSearch::ByName));
    EXPECT_TRUE(NoteMatches(list[2], "abc", NoteSearch::ByName));
    EXPECT_FALSE(NoteMatches(TNote(0, {}, "xabcx"), "abc", NoteSearch::ByName));
    EXPECT_TRUE(NoteMatches(TNote(0, {}, "xabcx"), "*abc*", NoteSearch::ByName));
    EXPECT_FALSE(NoteMatches(abc, "first", NoteSearch::ByText));  // a line must match whole
    EXPECT_TRUE(NoteMatches(abc, W("ВТОРАЯ"), NoteSearch::ByText));
    EXPECT_FALSE(NoteMatches(abc, "abc", NoteSearch::ByText));
    EXPECT_TRUE(NoteMatches(abc, "abc", NoteSearch::Everywhere));
    EXPECT_TRUE(NoteMatches(abc, "first*", NoteSearch::Everywhere));
    EXPECT_FALSE(NoteMatches(abc, "zzz", NoteSearch::Everywhere));
}

}  // namespace
}  // namespace pomix
