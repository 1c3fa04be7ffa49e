#include "storage/text_file.h"

#include "storage/cp1251.h"
#include "storage/stream.h"

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

std::vector<std::string> ReadTextFileLines(const std::string& path) {
    const Bytes bytes = ReadFileBytes(path);
    return SplitLines(TextFileToCp1251(std::string(bytes.begin(), bytes.end())));
}

void WriteTextFileLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    FileStream file(path, FileStream::Mode::Create);
    file.Write(text.data(), text.size());
    file.Close();
}

}  // namespace pomix
