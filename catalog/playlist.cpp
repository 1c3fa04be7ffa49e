#include "catalog/playlist.h"

#include "storage/cp1251.h"

namespace pomix {

StrList SplitTextLines(const std::string& text) {
    StrList lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos) end = text.size();
        if (end > start && text[end - 1] == '\r') --end;
        lines.push_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

StrList PlaylistTitles(const std::string& fileBytes) {
    StrList titles;
    for (const std::string& line : SplitTextLines(TextFileToCp1251(fileBytes))) {
        if (line.find("#EXTINF") == std::string::npos) continue;
        const std::size_t comma = line.find(',');
        if (comma == std::string::npos) continue;
        titles.push_back(line.substr(comma + 1));
    }
    return titles;
}

}  // namespace pomix
