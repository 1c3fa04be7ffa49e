// Titles of an extended playlist (".m3u"), for filling a catalog description.
#pragma once

#include <string>

#include "storage/field_codec.h"

namespace pomix {

// For every line holding "#EXTINF", the text after its first ","; every other line is
// skipped. A "#EXTINF" line without a comma names no title and is skipped too (taking the
// whole line would put "#EXTINF:-1" into the description as if it were a title).
// The file's bytes are read as a text file: UTF-8 is converted to code page 1251, lines end in
// CR LF, LF or CR.
StrList PlaylistTitles(const std::string& fileBytes);
// The same for a file; raises EFileError when it cannot be opened.
StrList ReadPlaylistTitles(const std::string& path);

}  // namespace pomix
