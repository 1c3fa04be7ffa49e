#include "catalog/playlist.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

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
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, error)) throw EFileError::CannotOpen(path);
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kMaxDescriptionFileSize) throw EFileError::CannotOpen(path);

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(path.c_str(), "rb"),
                                                                 &std::fclose);
    if (!stream) throw EFileError::CannotOpen(path);
    // Read up to one byte past the limit: the file may have grown since it was measured.
    std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > kMaxDescriptionFileSize) break;
            bytes.resize(std::min<std::size_t>(bytes.size() * 2, kMaxDescriptionFileSize + 1));
        }
        const std::size_t n =
            std::fread(bytes.data() + filled, 1, bytes.size() - filled, stream.get());
        filled += n;
        if (n == 0) break;
    }
    if (std::ferror(stream.get()) || filled > kMaxDescriptionFileSize) {
        throw EFileError::CannotOpen(path);
    }
    bytes.resize(filled);
    return bytes;
}

StrList DescriptionFromFile(const std::string& path, DescriptionSource source) {
    const std::string bytes = ReadDescriptionFile(path);
    if (source == DescriptionSource::Playlist) return PlaylistTitles(bytes);
    return SplitLines(TextFileToCp1251(bytes));
}

}  // namespace pomix
