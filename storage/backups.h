// Daily copies of the data files, kept in the folder "Backup/" beside them: taking them as
// files are saved, their names, listing and pruning them. This floor knows files, not records:
// whether a copy loads as its section, and putting a copy back, are core/backups' work, which
// finds the copies through ListBackupCopies and keeps the file it replaces through
// KeepCurrentAsBackup. The copy is taken here because every save passes through this floor.
//
// Before the first save of a day, a data file is copied as it is on disk to
// "Backup/<file>.<YYYY-MM-DD>" (the day of the local clock). A restore that must keep the
// current file where the day's copy is already taken adds ".<n>" (1, 2 …) to the name. Only
// the six files of the program are copied (BackedUpFileNames), only into the Backup/ folder
// of their own folder, never elsewhere.
//
// Pruning, after each day's copy, per file: the copies of the 14 newest days that have a copy
// stay, and of each of the last 12 months (this month included) the newest day's copies; the
// rest is removed. Names that do not have the form above are never touched.
//
// A copy that fails never stops the save: the problem goes to the report hook, once per run
// for each file and once for a Backup/ folder that cannot be made or written.
//
// Saves may run on any thread: the copies are taken under one lock, and the hook is called on
// the saving thread.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace pomix {

inline constexpr char kBackupFolderName[] = "Backup";
inline constexpr int kBackupDays = 14;
inline constexpr int kBackupMonths = 12;

using BackupDay = std::chrono::year_month_day;

// The files that are copied before their first save of a day, in the order of the sections
// and then the settings file.
const std::vector<std::string>& BackedUpFileNames();
bool IsBackedUpFileName(const std::string& name);

// Today for the copies: the local date, unless a test has set a clock. Returns the clock it
// replaces; an empty clock restores the local date.
using BackupClock = std::function<BackupDay()>;
BackupClock SetBackupClock(BackupClock clock);
BackupDay BackupToday();

struct BackupProblem {
    enum class Kind {
        FolderUnwritable,  // Backup/ could not be made or written: no copies in it this run
        CopyFailed,        // one file could not be copied (unreadable, disk full …)
    };
    // What went wrong, for the message in the interface language.
    enum class Cause { DiskFull, NoAccess, Damaged, Other, NotAFolder };
    Kind kind = Kind::CopyFailed;
    std::string path;    // the Backup/ folder, or the data file that was not copied
    std::string reason;  // the system's or the storage layer's English text, for logs
    Cause cause = Cause::Other;
};
// May be called on any thread that saves. Returns the hook it replaces.
using BackupReportHook = std::function<void(const BackupProblem& problem)>;
BackupReportHook SetBackupReportHook(BackupReportHook hook);

// "YYYY-MM-DD"; and back, false for anything else (a day that does not exist included).
std::string DayText(const BackupDay& day);
bool ParseDayText(const std::string& text, BackupDay& day);

// Called by the save of every data file before the new bytes replace the file: takes the
// day's copy of path when it is one of BackedUpFileNames, exists and has no copy for today,
// then prunes. Never throws; problems go to the report hook.
void BackUpBeforeSave(const std::string& path);

struct BackupCopy {
    std::string file;  // "Calendar.dat"
    std::string tag;   // "2026-12-08" or "2026-12-08.1": what follows "<file>."
    BackupDay day{};
    unsigned serial = 0;  // the ".<n>", 0 without one
    std::string path;
};
// The copies in dataDir's Backup/ folder, by file name (in BackedUpFileNames order), then
// oldest first. A missing folder has none.
std::vector<BackupCopy> ListBackupCopies(const std::string& dataDir);

// Of the copies of one file, those the pruning rule removes at today.
std::vector<BackupCopy> CopiesToPrune(const std::vector<BackupCopy>& copiesOfOneFile,
                                      const BackupDay& today);

// Copies the data file at path into its Backup/ folder as a copy of today (the next free
// serial when today's copy exists with other bytes; nothing when a copy of today holds the
// same bytes). Returns the copy's path (the existing one when equal), empty when path does
// not exist. Raises the storage errors.
std::string KeepCurrentAsBackup(const std::string& path);

}  // namespace pomix
