#include "catalog/playlist.h"

#include <gtest/gtest.h>

#include "storage/tests/test_support.h"

namespace pomix {
namespace {

using testing::W;

TEST(PlaylistTitles, TakesTheTextAfterTheFirstCommaOfEveryExtinfLine) {
    const std::string playlist =
        "#EXTM3U\r\n"
        "#EXTINF:7,One - Seven\r\n"
        "C:\\Music\\07.mp3\r\n"
        "#EXTINF:42,Two, with, commas\r\n"
        "02.mp3\r\n"
        "#EXTINF:217,Artist - Title\n"
        "03.mp3\n"
        "#EXTINF:3600,Long mix\r\n"
        "#EXTINF:-1,Radio stream\r\n"
        "http://radio.example/stream\r\n"
        "#EXTINF:5,\r\n"
        "# a comment, with a comma\r\n"
        "#EXTINF:1,Last line without an end";
    EXPECT_EQ(PlaylistTitles(playlist),
              (StrList{"One - Seven", "Two, with, commas", "Artist - Title", "Long mix",
                       "Radio stream", "", "Last line without an end"}));
}

TEST(PlaylistTitles, ExtinfLinesWithoutACommaAndPlainFilesGiveNothing) {
    EXPECT_TRUE(PlaylistTitles("#EXTM3U\r\n#EXTINF:123\r\nsong.mp3\r\n").empty());
    EXPECT_TRUE(PlaylistTitles("a.mp3\nb.mp3\n").empty());
    EXPECT_TRUE(PlaylistTitles("").empty());
    // "#EXTINF" anywhere in a line counts; the title still starts after the first comma.
    EXPECT_EQ(PlaylistTitles("x #EXTINF:1,a,b\n"), StrList{"a,b"});
}

TEST(PlaylistTitles, Utf8PlaylistsBecomeCodePage1251) {
    EXPECT_EQ(PlaylistTitles("#EXTINF:200,Кино - Группа крови\n"),
              StrList{W("Кино - Группа крови")});
    const std::string cp1251 = "#EXTINF:200," + W("Кино") + "\r\n";
    EXPECT_EQ(PlaylistTitles(cp1251), StrList{W("Кино")});
}

}  // namespace
}  // namespace pomix
