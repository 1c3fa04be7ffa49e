#include "core/catalog/playlist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "storage/errors.h"
#include "storage/text_file.h"
#include "storage/tests/scratch_dir.h"
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

class DescriptionFiles : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    pomix::testing::ScratchDir folder;
};

TEST_F(DescriptionFiles, PlaylistGivesTitlesAndTextFileGivesEveryLine) {
    const std::string path = Write("list.m3u", "#EXTM3U\r\n#EXTINF:12,A, b\r\na.mp3\r\n");
    EXPECT_EQ(DescriptionFromFile(path, DescriptionSource::Playlist), StrList{"A, b"});
    EXPECT_EQ(DescriptionFromFile(path, DescriptionSource::TextFile),
              (StrList{"#EXTM3U", "#EXTINF:12,A, b", "a.mp3"}));
    const std::string text = Write("notes.txt", "Первая\nвторая\n");
    EXPECT_EQ(DescriptionFromFile(text, DescriptionSource::TextFile),
              (StrList{W("Первая"), W("вторая")}));
    EXPECT_TRUE(DescriptionFromFile(text, DescriptionSource::Playlist).empty());
    EXPECT_TRUE(DescriptionFromFile(Write("empty.txt", ""), DescriptionSource::TextFile).empty());
}

TEST_F(DescriptionFiles, MissingFoldersAndOversizedFilesAreRefusedByName) {
    const std::string missing = folder.File("none.m3u");
    try {
        DescriptionFromFile(missing, DescriptionSource::Playlist);
        ADD_FAILURE() << "a missing file was read";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
    }
    // A folder opens for reading on this platform but reads as nothing: it must not pass for
    // an empty file.
    std::filesystem::create_directory(folder.File("sub"));
    EXPECT_THROW(ReadDescriptionFile(folder.File("sub")), EFileError);

    const std::string limit = Write("limit.txt", "");
    std::filesystem::resize_file(limit, kMaxDescriptionFileSize);
    EXPECT_EQ(ReadDescriptionFile(limit).size(), kMaxDescriptionFileSize);
    std::filesystem::resize_file(limit, kMaxDescriptionFileSize + 1);
    EXPECT_THROW(ReadDescriptionFile(limit), EFileTooLarge);
    // Within the limit but NUL bytes: neither a playlist nor a text.
    std::filesystem::resize_file(limit, 100);
    EXPECT_THROW(DescriptionFromFile(limit, DescriptionSource::Playlist), ENotTextFile);
    EXPECT_THROW(DescriptionFromFile(limit, DescriptionSource::TextFile), ENotTextFile);
}

TEST(DescriptionSourceFor, APlaylistByItsFilterOrByItsName) {
    const struct {
        const char* path;
        bool playlistFilter;
        DescriptionSource source;
    } cases[] = {
        {"/music/list.m3u", false, DescriptionSource::Playlist},
        {"/music/LIST.M3U", false, DescriptionSource::Playlist},
        {"/music/list.m3u8", false, DescriptionSource::Playlist},
        {"/music/list.txt", true, DescriptionSource::Playlist},
        {"/music/list.txt", false, DescriptionSource::TextFile},
        {"/music/m3u", false, DescriptionSource::TextFile},
        {"/music.m3u/list", false, DescriptionSource::TextFile},
        {"/music/list.m3u.txt", false, DescriptionSource::TextFile},
    };
    for (const auto& c : cases) EXPECT_EQ(DescriptionSourceFor(c.path, c.playlistFilter), c.source) << c.path;
}

}  // namespace
}  // namespace pomix
