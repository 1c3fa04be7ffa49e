// Text of other programs' files made into UTF-8: the whole file by its byte-order mark or
// byte pattern, single values by the charset their line names. iconv (glibc) does the
// converting, so every charset the system knows is read.
#pragma once

#include <optional>
#include <string>

namespace pomix::dataio {

// Bytes in the named charset ("windows-1252", "KOI8-R", "Shift_JIS" …) as UTF-8; nothing when
// the charset is unknown. Bytes the charset cannot hold become U+FFFD, never an error.
std::optional<std::string> CharsetToUtf8(const std::string& bytes, const std::string& charset);

// A whole text file as UTF-8. UTF-16 and UTF-32 are recognised by their byte-order mark, and
// UTF-16 without one by its NUL bytes (every second byte of Latin text is zero, the even
// ones for big-endian); a UTF-8 byte-order mark is dropped. Other text is taken as it is.
std::string FileToUtf8(const std::string& bytes);

// Whether the bytes are valid UTF-8 (ASCII included).
bool IsValidUtf8(const std::string& bytes);

}  // namespace pomix::dataio
