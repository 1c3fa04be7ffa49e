// Filling a catalog description from a file: the titles of an extended playlist (".m3u") or
// the lines of a text file.
#pragma once

#include <cstdint>
#include <string>

#include "storage/field_codec.h"
#include "storage/text_file.h"

namespace pomix {

// For every line holding "#EXTINF", the text after its first ","; every other line is
// skipped. A "#EXTINF" line without a comma names no title and is skipped too (taking the
// whole line would put "#EXTINF:-1" into the description as if it were a title).
// The file's bytes are read as a text file: UTF-8 is converted to code page 1251, lines end in
// CR LF, LF or CR.
StrList PlaylistTitles(const std::string& fileBytes);

// A description is a list of titles or a short text; a larger file is refused rather than
// held whole in memory and in an editor.
inline constexpr std::uint64_t kMaxDescriptionFileSize = kMaxTextFileSize;

// The whole of a regular file of at most kMaxDescriptionFileSize bytes. Raises EFileTooLarge
// for a larger one, EFileError ("Cannot open file <path>") when the file cannot be opened or
// read through to its end or is not a regular file (a folder reads as nothing at all).
std::string ReadDescriptionFile(const std::string& path);

enum class DescriptionSource {
    TextFile,  // every line of the file
    Playlist,  // the titles of its "#EXTINF" lines
};
// A playlist when its filter was chosen in the dialog, and also when the file's name ends in
// ".m3u" or ".m3u8" (any case) whatever filter was chosen: a playlist picked under "All
// files" is read as one rather than as its "#EXTM3U" lines.
DescriptionSource DescriptionSourceFor(const std::string& path, bool playlistFilter);

// The new description from a file, read whole before anything is replaced: on an error
// (EFileError as above, ENotTextFile for a file with a NUL byte near its start) the caller's
// description stays as it was.
StrList DescriptionFromFile(const std::string& path, DescriptionSource source);

}  // namespace pomix
