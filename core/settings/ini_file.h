// Initialisation files in code page 1251, the layout of the language dictionaries:
//
//   ; a comment            (lines starting with ";" or "#" are kept as they are)
//   [Section]
//   Key=Value
//
// Section and key names match in any letter case; the first of equal sections or keys
// counts. Values are read with outer blanks trimmed and one pair of enclosing double quotes
// removed (a value that would lose blanks or quotes that way is written quoted, so every value
// reads back as written). Every change is written to the file at once (unless the writer holds the writes
// back and calls Flush itself); lines the program does not touch (comments, unknown sections
// and keys) survive the rewrite, and the file keeps its line ending (CR LF unless a line ends in
// a bare LF). UTF-8 byte-order marks at the start are skipped and not written back. Line breaks
// inside a key or value are written as blanks, so the file stays one entry per line.
//
// A rewrite goes to a temporary file in the same folder that is then renamed over the old
// one: a failure midway leaves the old file whole. A file without any write permission bit
// is never replaced, whoever runs the program.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pomix {

class IniFile {
public:
    // Reads the file when it exists; a missing file is an empty one until the first write.
    explicit IniFile(std::string path);

    // What a dictionary may be: at most kMaxSize bytes and no NUL byte. Anything else in the
    // dictionary folder is not treated as one (and so never rewritten). A missing file is
    // no dictionary either.
    static constexpr std::size_t kMaxSize = 1 << 20;
    static bool IsIniFile(const std::string& path);
    // A value as it is written after "Key=": on one line, quoted when reading would change it.
    static std::string StoredValue(const std::string& value);

    const std::string& Path() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The decimal value of the key; the default when it is absent or not a whole number.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool SectionExists(const std::string& section) const;
    // Every key of the section (the first of equal sections) in file order, with its value as
    // ReadString gives it: one pass for a section of many keys.
    using Entries = std::vector<std::pair<std::string, std::string>>;
    Entries ReadSection(const std::string& section) const;

    // Each raises EFileError("Unable to write to <path>") when the file cannot be written;
    // the file then keeps its earlier contents as far as the system allows.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void EraseSection(const std::string& section);
    // Erases the section and writes it anew at the end of the file with the entries in order
    // (keys distinct), as EraseSection and a WriteString per entry would, in one pass.
    void WriteSection(const std::string& section, const Entries& entries);

    // The file's text as it would be written now.
    std::string Text() const;

    // With writes held back, changes stay in memory until Flush: a writer making many
    // changes replaces the file once.
    void HoldWrites(bool hold) { hold_ = hold; }
    void Flush() const;

private:
    struct Span {
        std::size_t header;  // the line of "[name]"
        std::size_t end;     // one past the section's last line
    };
    bool FindSection(const std::string& section, Span& span) const;
    bool FindKey(const Span& span, const std::string& key, std::size_t& line) const;
    void Changed() const;

    std::string path_;
    std::vector<std::string> lines_;
    bool crlf_ = true;  // lines end in CR LF (else LF alone)
    bool hold_ = false;
};

}  // namespace pomix
