// Whole-file replacement that never leaves a half-written file under the target's name.
#pragma once

#include <cstddef>
#include <string>

namespace pomix {

// Gives path the size bytes at data. The bytes reach the disk under "<path>.saving" first and
// then take path's name, so a failure or a kill at any point leaves the earlier file (or none)
// under path, never a mixture; the file keeps its permissions, a link keeps pointing at it.
// Throws EStreamWriteError when the bytes cannot be written, EFileError when the file cannot
// be created or another program is saving the same file.
void ReplaceFile(const std::string& path, const void* data, std::size_t size);

inline void ReplaceFile(const std::string& path, const std::string& bytes) {
    ReplaceFile(path, bytes.data(), bytes.size());
}

}  // namespace pomix
