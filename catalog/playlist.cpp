#include "catalog/playlist.h"

#include "storage/cp1251.h"
#include "storage/stream.h"
#include "storage/text_file.h"

namespace pomix {

StrList PlaylistTitles(const std::string& fileBytes) {
    StrList titles;
    for (const std::string& line : SplitLines(TextFileToCp1251(fileBytes))) {
        if (line.find("#EXTINF") == std::string::npos) continue;
        const std::size_t comma = line.find(',');
        if (comma == std::string::npos) continue;
        titles.push_back(line.substr(comma + 1));
    }
    return titles;
}

StrList ReadPlaylistTitles(const std::string& path) {
    const Bytes bytes = ReadFileBytes(path);
    return PlaylistTitles(std::string(bytes.begin(), bytes.end()));
}

}  // namespace pomix
