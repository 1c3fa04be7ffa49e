// Arbitrary bytes as an extended playlist: one title for each "#EXTINF" line with a comma,
// each one the text after that comma, and a playlist written from the titles gives them back.
#include <cstdint>
#include <string>

#include "core/catalog/playlist.h"
#include "storage/cp1251.h"
#include "storage/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const pomix::StrList titles = pomix::PlaylistTitles(bytes);

    std::size_t expected = 0;
    for (const std::string& line : pomix::SplitLines(pomix::TextFileToCp1251(bytes))) {
        if (line.find("#EXTINF") != std::string::npos && line.find(',') != std::string::npos)
            ++expected;
    }
    if (titles.size() != expected) __builtin_trap();

    std::string playlist = "#EXTM3U\r\n";
    for (const std::string& title : titles) {
        if (title.find_first_of("\r\n") != std::string::npos) __builtin_trap();
        playlist += "#EXTINF:-1," + title + "\r\nfile.mp3\r\n";
    }
    // Written as UTF-8 with a byte-order mark, as a player would, so no title is misread.
    if (pomix::PlaylistTitles("\xEF\xBB\xBF" + pomix::Cp1251ToUtf8(playlist)) != titles)
        __builtin_trap();
    return 0;
}
