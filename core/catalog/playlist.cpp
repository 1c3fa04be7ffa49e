#include "core/catalog/playlist.h"

#include "storage/cp1251.h"
#include "storage/errors.h"
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

std::string ReadDescriptionFile(const std::string& path) {
    return ReadWholeTextFile(path, kMaxDescriptionFileSize);
}

DescriptionSource DescriptionSourceFor(const std::string& path, bool playlistFilter) {
    const std::string name = LowerCase(path.substr(path.find_last_of('/') + 1));
    const bool m3u = name.ends_with(".m3u") || name.ends_with(".m3u8");
    return playlistFilter || m3u ? DescriptionSource::Playlist : DescriptionSource::TextFile;
}

StrList DescriptionFromFile(const std::string& path, DescriptionSource source) {
    const std::string bytes = ReadDescriptionFile(path);
    if (!LooksLikeText(bytes)) throw ENotTextFile(path);
    if (source == DescriptionSource::Playlist) return PlaylistTitles(bytes);
    return SplitLines(TextFileToCp1251(bytes));
}

}  // namespace pomix
