#include "core/settings/program_files.h"

#include <sys/stat.h>

#include "storage/cp1251.h"
#include "storage/text.h"

namespace pomix {

namespace {

std::string& ProgramDirValue() {
    static std::string folder;
    return folder;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    // Settings hold names as code page 1251 bytes, the folder path is the file system's UTF-8:
    // a Cyrillic name has to be converted before it is joined, or it is never found.
    const std::string file = FileNameOnly(name);
    return file.empty() ? std::string() : ProgramDir() + folder + Cp1251ToUtf8(file);
}

}  // namespace

std::array<std::uint8_t, 8> RecolourPending{};

void SetAllRecolourPending() { RecolourPending.fill(1); }

const std::string& ProgramDir() {
    std::string& folder = ProgramDirValue();
    if (folder.empty()) folder = AppDir();
    return folder;
}

void SetProgramDir(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    ProgramDirValue() = std::move(folder);
}

std::string DataDir() { return ProgramDir() + "Data/"; }

std::string FileNameOnly(const std::string& name) {
    const std::size_t cut = name.find_last_of("/\\");
    std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
    if (file == "." || file == "..") file.clear();
    return file;
}

std::string DictionaryPath(const std::string& languageFile) { return InFolder("Lang/", languageFile); }

std::string AlarmSoundPath(const std::string& alarmSound) { return InFolder("Media/", alarmSound); }

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace pomix
