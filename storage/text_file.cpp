#include "storage/text_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "storage/atomic_file.h"
#include "storage/cp1251.h"
#include "storage/errors.h"

namespace pomix {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string ReadWholeTextFile(const std::string& path, std::uint64_t limit) {
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, error)) throw EFileError::CannotOpen(path);
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) throw EFileError::CannotOpen(path);
    if (size > limit) throw EFileTooLarge(path);

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(path.c_str(), "rb"),
                                                                 &std::fclose);
    if (!stream) throw EFileError::CannotOpen(path);
    // Read up to one byte past the limit: the file may have grown since it was measured.
    std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > limit) break;
            bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size() * 2, limit + 1)));
        }
        const std::size_t n =
            std::fread(bytes.data() + filled, 1, bytes.size() - filled, stream.get());
        filled += n;
        if (n == 0) break;
    }
    if (std::ferror(stream.get())) throw EFileError::CannotOpen(path);
    if (filled > limit) throw EFileTooLarge(path);
    bytes.resize(filled);
    return bytes;
}

bool LooksLikeText(const std::string& bytes) {
    return bytes.find('\0') >= kTextProbeSize;
}

std::vector<std::string> ReadTextFileLines(const std::string& path) {
    const std::string bytes = ReadWholeTextFile(path, kMaxTextFileSize);
    if (!LooksLikeText(bytes)) throw ENotTextFile(path);
    return SplitLines(TextFileToCp1251(bytes));
}

void WriteTextFileLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) (text += Cp1251ToUtf8(line)) += "\r\n";
    // The user's file is replaced whole: a failed save leaves it as it was.
    ReplaceFile(path, text);
}

}  // namespace pomix
