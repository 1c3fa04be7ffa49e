#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

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
    if (text.compare(0, 3, kUtf8Mark) == 0) text.erase(0, 3);

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
    Span span;
    bool erased = false;
    while (FindSection(section, span)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span.header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(span.end));
        erased = true;
    }
    if (erased) Changed();
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
    mode_t mode = 0666;
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0 || ::access(path_.c_str(), W_OK) != 0) {
            throw EFileError(error);
        }
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    const std::size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    std::string temp = folder + "." + name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw EFileError(error);
    bool ok = WriteAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw EFileError(error);
    }
}

}  // namespace pomix
