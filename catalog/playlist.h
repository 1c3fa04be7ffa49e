// Titles of an extended playlist (".m3u"), for filling a catalog description.
#pragma once

#include <string>

#include "storage/field_codec.h"

namespace pomix {

// The lines of a text file's contents: split at LF, a CR before the LF dropped; a last line
// without a line end counts, an empty file has no lines.
StrList SplitTextLines(const std::string& text);

// For every line holding "#EXTINF", the text after its first ","; every other line is
// skipped. A "#EXTINF" line without a comma names no title and is skipped too.
// The file's bytes are taken as a text file (UTF-8 is converted to code page 1251).
StrList PlaylistTitles(const std::string& fileBytes);

}  // namespace pomix
