#include "storage/backups.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "storage/atomic_file.h"
#include "storage/errors.h"
#include "storage/stream.h"

namespace pomix {
namespace {

namespace fs = std::filesystem;

struct BackupState {
    std::mutex mutex;
    BackupClock clock;
    BackupReportHook hook;
    // What has been reported this run: "F" + folder, "C" + file.
    std::set<std::string> reported;
};

BackupState& State() {
    static BackupState state;
    return state;
}

BackupDay LocalToday() {
    const time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    return BackupDay{std::chrono::year{local.tm_year + 1900},
                     std::chrono::month{unsigned(local.tm_mon + 1)},
                     std::chrono::day{unsigned(local.tm_mday)}};
}

BackupDay TodayLocked(BackupState& state) {
    return state.clock ? state.clock() : LocalToday();
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// "<file>.<YYYY-MM-DD>" or "<file>.<YYYY-MM-DD>.<n>" with n from 1.
bool ParseCopyName(const std::string& name, const std::string& file, BackupCopy& copy) {
    if (name.size() < file.size() + 11 || name.compare(0, file.size(), file) != 0 ||
        name[file.size()] != '.') {
        return false;
    }
    const std::string tag = name.substr(file.size() + 1);
    if (!ParseDayText(tag.substr(0, 10), copy.day)) return false;
    copy.serial = 0;
    if (tag.size() > 10) {
        const std::string serial = tag.substr(11);
        if (tag[10] != '.' || serial.empty() || serial.size() > 6 || serial[0] == '0' ||
            !std::all_of(serial.begin(), serial.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return false;
        }
        copy.serial = static_cast<unsigned>(std::stoul(serial));
    }
    copy.file = file;
    copy.tag = tag;
    return true;
}

std::vector<BackupCopy> CopiesOf(const fs::path& folder, const std::string& file) {
    std::vector<BackupCopy> copies;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        BackupCopy copy;
        if (!it->is_regular_file(error)) continue;
        if (ParseCopyName(it->path().filename().string(), file, copy)) {
            copy.path = it->path().string();
            copies.push_back(std::move(copy));
        }
    }
    std::sort(copies.begin(), copies.end(), [](const BackupCopy& a, const BackupCopy& b) {
        return std::pair(std::chrono::sys_days(a.day), a.serial) <
               std::pair(std::chrono::sys_days(b.day), b.serial);
    });
    return copies;
}

bool SameBytes(const std::string& a, const std::string& b) {
    try {
        return ReadFileBytes(a) == ReadFileBytes(b);
    } catch (const std::exception&) {
        return false;
    }
}

void CopyFile(const std::string& from, const std::string& to) {
    const Bytes bytes = ReadFileBytes(from);
    ReplaceFile(to, bytes.data(), bytes.size());
}

BackupProblem::Cause CauseOf(const std::error_code& error) {
    switch (error.value()) {
        case ENOSPC:
        case EDQUOT:
            return BackupProblem::Cause::DiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
        case ENOENT:
            return BackupProblem::Cause::NoAccess;
        case ENOTDIR:
        case EEXIST:
            return BackupProblem::Cause::NotAFolder;
        default:
            return BackupProblem::Cause::Other;
    }
}

// The storage layer's errors carry no system error code; their kind says enough.
BackupProblem::Cause CauseOf(const std::exception& error) {
    if (dynamic_cast<const EStreamWriteError*>(&error)) return BackupProblem::Cause::DiskFull;
    if (dynamic_cast<const ENotAFolder*>(&error)) return BackupProblem::Cause::NotAFolder;
    if (dynamic_cast<const EFileError*>(&error)) return BackupProblem::Cause::NoAccess;
    if (dynamic_cast<const ECorruptFile*>(&error) || dynamic_cast<const EStreamReadError*>(&error))
        return BackupProblem::Cause::Damaged;
    return BackupProblem::Cause::Other;
}

// Makes the Backup/ folder; false, with what went wrong in problem, when it cannot be had as
// a folder.
bool MakeFolder(const fs::path& folder, BackupProblem& problem) {
    std::error_code error;
    if (fs::is_directory(folder, error)) return true;
    if (Exists(folder)) {
        problem.reason = "not a folder";
        problem.cause = BackupProblem::Cause::NotAFolder;  // a file stands where it belongs
        return false;
    }
    fs::create_directory(folder, error);
    if (error) {
        problem.reason = error.message();
        problem.cause = CauseOf(error);
        return false;
    }
    return true;
}

}  // namespace

const std::vector<std::string>& BackedUpFileNames() {
    static const std::vector<std::string> names{"Calendar.dat", "Address.dat", "Note.dat",
                                                "Catalog.dat",  "Credit.dat",  "Pomix.ini"};
    return names;
}

bool IsBackedUpFileName(const std::string& name) {
    const auto& names = BackedUpFileNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

BackupClock SetBackupClock(BackupClock clock) {
    std::lock_guard lock(State().mutex);
    return std::exchange(State().clock, std::move(clock));
}

BackupDay BackupToday() {
    std::lock_guard lock(State().mutex);
    return TodayLocked(State());
}

BackupReportHook SetBackupReportHook(BackupReportHook hook) {
    std::lock_guard lock(State().mutex);
    return std::exchange(State().hook, std::move(hook));
}

std::string DayText(const BackupDay& day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(day.year()), unsigned(day.month()),
                  unsigned(day.day()));
    return text;
}

bool ParseDayText(const std::string& text, BackupDay& day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    const BackupDay parsed{std::chrono::year{std::stoi(text.substr(0, 4))},
                           std::chrono::month{unsigned(std::stoi(text.substr(5, 2)))},
                           std::chrono::day{unsigned(std::stoi(text.substr(8, 2)))}};
    if (!parsed.ok()) return false;
    day = parsed;
    return true;
}

std::vector<BackupCopy> ListBackupCopies(const std::string& dataDir) {
    const fs::path folder = fs::path(dataDir) / kBackupFolderName;
    std::vector<BackupCopy> all;
    for (const std::string& file : BackedUpFileNames()) {
        auto copies = CopiesOf(folder, file);
        all.insert(all.end(), std::make_move_iterator(copies.begin()),
                   std::make_move_iterator(copies.end()));
    }
    return all;
}

std::vector<BackupCopy> CopiesToPrune(const std::vector<BackupCopy>& copiesOfOneFile,
                                      const BackupDay& today) {
    using std::chrono::sys_days;
    std::set<sys_days, std::greater<>> days;
    for (const BackupCopy& copy : copiesOfOneFile) days.insert(sys_days(copy.day));
    std::set<sys_days> kept;
    int taken = 0;
    for (sys_days day : days) {
        if (taken++ == kBackupDays) break;
        kept.insert(day);
    }
    const std::chrono::year_month thisMonth{today.year(), today.month()};
    for (int back = 0; back < kBackupMonths; ++back) {
        const auto month = thisMonth - std::chrono::months{back};
        // days runs newest first: the first day of the month is its newest.
        const auto newest = std::find_if(days.begin(), days.end(), [month](sys_days day) {
            const BackupDay ymd{day};
            return ymd.year() == month.year() && ymd.month() == month.month();
        });
        if (newest != days.end()) kept.insert(*newest);
    }
    std::vector<BackupCopy> pruned;
    for (const BackupCopy& copy : copiesOfOneFile) {
        if (!kept.count(sys_days(copy.day))) pruned.push_back(copy);
    }
    return pruned;
}

void BackUpBeforeSave(const std::string& path) {
    const fs::path file(path);
    const std::string name = file.filename().string();
    if (!IsBackedUpFileName(name)) return;
    std::optional<BackupProblem> problem;
    BackupReportHook hook;
    {
        BackupState& state = State();
        std::lock_guard lock(state.mutex);
        if (!Exists(file)) return;
        const BackupDay today = TodayLocked(state);
        const fs::path folder = file.parent_path() / kBackupFolderName;
        const fs::path copy = folder / (name + "." + DayText(today));
        std::error_code error;
        if (fs::is_regular_file(copy, error)) return;
        BackupProblem folderProblem{
            BackupProblem::Kind::FolderUnwritable, folder.string() + "/", {}};
        if (!MakeFolder(folder, folderProblem)) {
            problem = folderProblem;
        } else {
            try {
                CopyFile(path, copy.string());
                for (const BackupCopy& old : CopiesToPrune(CopiesOf(folder, name), today)) {
                    fs::remove(old.path, error);
                }
            } catch (const std::exception& e) {
                // A folder that takes no file is the folder's problem, not this file's.
                const bool folderWritable = ::access(folder.c_str(), W_OK) == 0;
                problem = folderWritable ? BackupProblem{BackupProblem::Kind::CopyFailed, path,
                                                         e.what(), CauseOf(e)}
                                         : BackupProblem{BackupProblem::Kind::FolderUnwritable,
                                                         folder.string() + "/", e.what(),
                                                         BackupProblem::Cause::NoAccess};
            }
        }
        if (!problem) return;
        const std::string key =
            (problem->kind == BackupProblem::Kind::FolderUnwritable ? "F" : "C") + problem->path;
        if (!state.reported.insert(key).second) return;
        hook = state.hook;
    }
    if (hook) hook(*problem);
}

std::string KeepCurrentAsBackup(const std::string& path) {
    const fs::path file(path);
    if (!Exists(file)) return {};
    std::lock_guard lock(State().mutex);
    const fs::path folder = file.parent_path() / kBackupFolderName;
    BackupProblem problem;
    if (!MakeFolder(folder, problem)) {
        if (problem.cause == BackupProblem::Cause::NotAFolder) throw ENotAFolder(folder.string());
        throw EFileError::CannotCreate(folder.string() + ": " + problem.reason);
    }
    const std::string base =
        (folder / (file.filename().string() + "." + DayText(TodayLocked(State())))).string();
    std::string copy = base;
    for (unsigned serial = 1; Exists(copy); ++serial) {
        if (SameBytes(copy, path)) return copy;
        copy = base + "." + std::to_string(serial);
    }
    CopyFile(path, copy);
    return copy;
}

}  // namespace pomix
