#include "settings/ini_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>

#include "storage/errors.h"
#include "storage/text.h"

namespace pomix {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return CompareNoCase(Trim(a), Trim(b)) == 0;
}

// "[name]" (blanks around allowed) gives name.
bool SectionHeader(const std::string& line, std::string& name) {
    const std::string text = Trim(line);
    if (text.size() < 2 || text.front() != '[') return false;
    const std::size_t close = text.find(']');
    if (close == std::string::npos) return false;
    name = text.substr(1, close - 1);
    return true;
}

bool IsComment(const std::string& line) {
    const std::string text = Trim(line);
    return text.empty() || text.front() == ';' || text.front() == '#';
}

bool SplitKey(const std::string& line, std::string& key, std::string& value) {
    if (IsComment(line)) return false;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file) return;
    std::string text;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    std::fclose(file);

    const std::size_t firstLf = text.find('\n');
    crlf_ = firstLf == std::string::npos || (firstLf > 0 && text[firstLf - 1] == '\r');
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) lf = text.size();
        std::size_t end = lf;
        if (end > start && text[end - 1] == '\r') --end;
        lines_.emplace_back(text.data() + start, end - start);
        start = lf + 1;
    }
}

bool IniFile::FindSection(const std::string& section, Span& span) const {
    std::string name;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!SectionHeader(lines_[i], name) || !SameName(name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !SectionHeader(lines_[end], name)) ++end;
        span = {i, end};
        return true;
    }
    return false;
}

bool IniFile::FindKey(const Span& span, const std::string& key, std::size_t& line) const {
    std::string name, value;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        if (SplitKey(lines_[i], name, value) && SameName(name, key)) {
            line = i;
            return true;
        }
    }
    return false;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    Span span;
    std::size_t line;
    if (!FindSection(section, span) || !FindKey(span, key, line)) return defaultValue;
    std::string name, value;
    SplitKey(lines_[line], name, value);
    return value;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
    const std::string text = ReadString(section, key, "");
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return (first == last || error != std::errc() || end != last) ? defaultValue : value;
}

bool IniFile::SectionExists(const std::string& section) const {
    Span span;
    return FindSection(section, span);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + value;
    Span span;
    std::size_t at;
    if (!FindSection(section, span)) {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back("");
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
    } else if (FindKey(span, key, at)) {
        lines_[at] = line;
    } else {
        // After the section's last non-blank line, so the blank line before the next
        // section stays where it was.
        std::size_t insert = span.end;
        while (insert > span.header + 1 && Trim(lines_[insert - 1]).empty()) --insert;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), line);
    }
    Flush();
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(const std::string& section) {
    Span span;
    bool erased = false;
    while (FindSection(section, span)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span.header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(span.end));
        erased = true;
    }
    if (erased) Flush();
}

std::string IniFile::Text() const {
    std::string text;
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (const std::string& line : lines_) (text += line) += eol;
    return text;
}

void IniFile::Flush() const {
    // Written in place rather than through a renamed copy, so a read-only dictionary stays
    // read-only and is reported instead of being replaced.
    const std::string text = Text();
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        ok = std::fclose(file) == 0 && ok;
    }
    if (!ok) throw EFileError("Unable to write to " + path_);
}

}  // namespace pomix
