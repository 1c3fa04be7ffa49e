// A fresh folder under the system's temporary folder, removed with everything in it, and
// whole-file reads and writes for the tests that use it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "storage/stream.h"

namespace pomix::testing {

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pomix-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create " + pattern);
        path_ = pattern;
    }
    ~ScratchDir() {
        // Tests may have left the folder read-only; give the rights back before removing.
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // The folder itself, ending in "/".
    std::string Path() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

inline std::string FileContents(const std::string& path) {
    const Bytes bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void WriteFileContents(const std::string& path, const std::string& text) {
    FileStream file(path, FileStream::Mode::Create);
    file.Write(text.data(), text.size());
    file.Close();
}

}  // namespace pomix::testing
