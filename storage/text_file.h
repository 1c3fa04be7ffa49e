// Text files read into and written from the editors' memos.
//
// Files are written in code page 1251 with every line ended by CR LF. On reading, a file that
// is valid UTF-8 holding non-ASCII characters, or that starts with the UTF-8 byte-order mark,
// is taken as UTF-8 and converted (most text files on this platform are); any other file is
// taken as code page 1251. Lines may end in CR LF, LF or CR.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pomix {

// A memo holds a short text: a larger file is refused rather than held whole in memory.
inline constexpr std::uint64_t kMaxTextFileSize = std::uint64_t{16} << 20;

// The whole of a regular file of at most limit bytes. Raises EFileError ("Cannot open file
// <path>") when the file cannot be opened or read through to its end, is not a regular file
// (a folder or a pipe), or is larger.
std::string ReadWholeTextFile(const std::string& path, std::uint64_t limit);
// The lines of a text file of at most kMaxTextFileSize bytes; raises as ReadWholeTextFile.
std::vector<std::string> ReadTextFileLines(const std::string& path);
// Splits text (already code page 1251) into lines; a final line end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);
// Raises EFileError when the file cannot be created, EStreamWriteError when writing fails.
void WriteTextFileLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace pomix
