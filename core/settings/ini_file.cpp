#include "core/settings/ini_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>

#include "storage/atomic_file.h"
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

// One entry per line: a line break inside a name or value would start a line of its own.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

// A value the reader would change (outer blanks trimmed, one pair of enclosing quotes
// removed) is written inside a pair of quotes, so it reads back as it was written.
std::string Quoted(const std::string& value) {
    if (value.empty()) return value;
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const bool enclosed = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return blank(value.front()) || blank(value.back()) || enclosed ? "\"" + value + "\"" : value;
}

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

}  // namespace

std::string IniFile::StoredValue(const std::string& value) { return Quoted(OneLine(value)); }

bool IniFile::IsIniFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (static_cast<std::uint64_t>(info.st_size) > kMaxSize) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char chunk[4096];
    std::size_t n, total = 0;
    bool clean = true;
    while (clean && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        total += n;
        clean = total <= kMaxSize && std::char_traits<char>::find(chunk, n, '\0') == nullptr;
    }
    std::fclose(file);
    return clean;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file) return;
    std::string text;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    std::fclose(file);
    // An editor may have put the mark twice; a second one left in place would become part of
    // the first line, and then the first mark of the rewritten file.
    std::size_t marks = 0;
    while (text.compare(marks, 3, kUtf8Mark) == 0) marks += 3;
    text.erase(0, marks);

    // CR LF only when no line ends in a bare LF. Judged by the first line alone, a rewrite that
    // removes that line could switch the ending, and every later rewrite would change the file.
    // Lines the program writes in a file of LF lines end in a bare LF, so the choice is kept.
    crlf_ = true;
    for (std::size_t lf = text.find('\n'); crlf_ && lf != std::string::npos; lf = text.find('\n', lf + 1)) {
        crlf_ = lf > 0 && text[lf - 1] == '\r';
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) lf = text.size();
        std::size_t end = lf;
        // A file of LF lines keeps a CR before its LF as part of the line, so a rewrite
        // gives back the same bytes.
        if (crlf_ && end > start && text[end - 1] == '\r') --end;
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

IniFile::Entries IniFile::ReadSection(const std::string& section) const {
    Entries entries;
    Span span;
    if (!FindSection(section, span)) return entries;
    std::string key, value;
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        if (SplitKey(lines_[i], key, value)) entries.emplace_back(key, value);
    }
    return entries;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = OneLine(key) + "=" + StoredValue(value);
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
    Changed();
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(const std::string& section) {
    Span first;
    if (!FindSection(section, first)) return;
    // One pass over the rest: a damaged file may repeat the section thousands of times. The
    // pass starts at a header of the section, so kept stays behind i.
    std::size_t kept = first.header;
    bool inside = false;
    std::string name;
    for (std::size_t i = first.header; i < lines_.size(); ++i) {
        if (SectionHeader(lines_[i], name)) inside = SameName(name, section);
        if (!inside) lines_[kept++] = std::move(lines_[i]);
    }
    lines_.resize(kept);
    Changed();
}

void IniFile::WriteSection(const std::string& section, const Entries& entries) {
    const bool hold = hold_;
    hold_ = true;
    EraseSection(section);
    hold_ = hold;
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back("");
    lines_.push_back("[" + section + "]");
    for (const auto& [key, value] : entries) lines_.push_back(OneLine(key) + "=" + StoredValue(value));
    Changed();
}

std::string IniFile::Text() const {
    std::string text;
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (const std::string& line : lines_) (text += line) += eol;
    return text;
}

void IniFile::Changed() const {
    if (!hold_) Flush();
}

void IniFile::Flush() const {
    const std::string text = Text();
    const std::string error = "Unable to write to " + path_;
    // A read-only dictionary stays as it is: renaming over it would succeed in a writable
    // folder, and the superuser passes every access check.
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0 &&
        (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0 || ::access(path_.c_str(), W_OK) != 0)) {
        throw EFileError(error);
    }
    try {
        ReplaceFile(path_, text);
    } catch (const EStorageError&) {
        throw EFileError(error);
    }
}

}  // namespace pomix
