// Text files read into and written from the editors' memos.
//
// Files are written in UTF-8 without a byte-order mark (what every other program on this
// platform reads), every line ended by CR LF. On reading, a file that is valid UTF-8 holding
// non-ASCII characters, or that starts with the UTF-8 byte-order mark, is taken as UTF-8 and
// converted; any other file is taken as code page 1251, so files written by earlier versions
// read as before. Lines may end in CR LF, LF or CR.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/errors.h"

namespace pomix {

// A memo holds a short text: a larger file is refused rather than held whole in memory.
inline constexpr std::uint64_t kMaxTextFileSize = std::uint64_t{16} << 20;
// How much of a file is looked at for a NUL byte: no text file holds one, while pictures,
// archives and documents of word processors do within their first kilobytes.
inline constexpr std::size_t kTextProbeSize = 8192;

// A file larger than its reader allows.
class EFileTooLarge : public EFileError {
public:
    explicit EFileTooLarge(const std::string& path) : EFileError("File is too large: " + path) {}
};
// A file that holds a NUL byte within its first kTextProbeSize bytes.
class ENotTextFile : public EFileError {
public:
    explicit ENotTextFile(const std::string& path) : EFileError("Not a text file: " + path) {}
};

// The whole of a regular file of at most limit bytes. Raises EFileTooLarge when it is larger
// and EFileError ("Cannot open file <path>") when it cannot be opened or read through to its
// end or is not a regular file (a folder or a pipe).
std::string ReadWholeTextFile(const std::string& path, std::uint64_t limit);
// True when bytes hold no NUL within their first kTextProbeSize.
bool LooksLikeText(const std::string& bytes);
// The lines of a text file of at most kMaxTextFileSize bytes; raises as ReadWholeTextFile, and
// ENotTextFile for a file that does not look like text.
std::vector<std::string> ReadTextFileLines(const std::string& path);
// Splits text (already code page 1251) into lines; a final line end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);
// Writes lines (code page 1251) as UTF-8. Raises EFileError when the file cannot be created, EStreamWriteError when writing fails.
void WriteTextFileLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace pomix
