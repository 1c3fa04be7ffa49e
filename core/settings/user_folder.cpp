#include "core/settings/user_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "storage/errors.h"

namespace fs = std::filesystem;

namespace pomix {

namespace {

constexpr const char* kProgramFolders[] = {"Data", "Lang", "Media"};

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Any name at all, also a dangling link: lstat sees the link itself.
bool NameTaken(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool CopyBytes(int from, int to) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += put;
        }
    }
}

// Copies source to target unless target's name is taken. The bytes go to a temporary file in
// target's folder first; link() then gives it target's name and fails, rather than replacing,
// when the name appeared meanwhile. Returns false only on a failure.
bool CopyIfMissing(const std::string& source, const std::string& target, bool& copied) {
    copied = false;
    if (NameTaken(target)) return true;
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return false;
    std::string temporary = target + ".XXXXXX";
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0) return false;
    const bool written = CopyBytes(in.get(), out.get()) && ::fchmod(out.get(), 0644) == 0 && out.Close();
    const bool linked = written && ::link(temporary.c_str(), target.c_str()) == 0;
    const bool lostRace = written && !linked && errno == EEXIST;
    ::unlink(temporary.c_str());
    copied = linked;
    return linked || lostRace;
}

}  // namespace

std::string ChooseProgramDir(const std::string& exeDir, const char* xdgDataHome, const char* home) {
    const std::string beside = WithSlash(exeDir);
    if (!beside.empty() && IsFolder(beside + "Data")) return beside;
    // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules ask.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return WithSlash(xdgDataHome) + "pomix/";
    if (home != nullptr && home[0] == '/') return WithSlash(home) + ".local/share/pomix/";
    return {};
}

std::string ChooseProgramDir(const std::string& exeDir) {
    const char* home = std::getenv("HOME");
    std::string fromDatabase;
    if (home == nullptr || home[0] != '/') {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
            fromDatabase = entry->pw_dir;
            home = fromDatabase.c_str();
        }
    }
    return ChooseProgramDir(exeDir, std::getenv("XDG_DATA_HOME"), home);
}

bool IsUserProgramDir(const std::string& programDir, const std::string& exeDir) {
    return WithSlash(programDir) != WithSlash(exeDir);
}

std::string DataDirIn(const std::string& programDir) { return WithSlash(programDir) + "Data/"; }

std::string ShippedFilesDir(const std::string& exeDir, const std::string& relativeShareDir) {
    return WithSlash(WithSlash(exeDir) + relativeShareDir);
}

void MakeDataFolder(const std::string& programDir) {
    std::string data = DataDirIn(programDir);
    data.pop_back();
    std::error_code error;
    const bool made = fs::create_directories(data, error);
    if (error || !IsFolder(data)) throw EFileError("Cannot create folder " + data);
    // A new data folder is the user's alone: nobody else reads their addresses and debts.
    if (made) ::chmod(data.c_str(), 0700);
}

PopulateResult PopulateProgramDir(const std::string& shippedDir, const std::string& programDir) {
    PopulateResult result;
    for (const char* folder : kProgramFolders) {
        const std::string from = WithSlash(shippedDir) + folder;
        if (!IsFolder(from)) continue;
        const std::string to = WithSlash(programDir) + folder;
        std::error_code error;
        fs::create_directories(to, error);
        if (error || !IsFolder(to)) {
            result.errors.push_back("Cannot create folder " + to);
            continue;
        }
        std::vector<std::string> names;
        try {
            for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
                if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
            }
        } catch (const fs::filesystem_error&) {
            result.errors.push_back("Cannot open folder " + from);
        }
        for (const std::string& name : names) {
            const std::string target = to + "/" + name;
            bool copied = false;
            if (!CopyIfMissing(from + "/" + name, target, copied)) {
                result.errors.push_back(EFileError::CannotCreate(target).what());
            } else if (copied) {
                result.copied.push_back(target);
            }
        }
    }
    return result;
}

}  // namespace pomix
