// What the daily copies of Data/Backup/ hold, and putting one back: the part of the copies
// that needs the sections' records. Taking, naming, listing and pruning the copies is
// storage/backups' work, done as files are saved; this module reads what that listing gives.
//
// A copy "loads" when it reads as its section (or the settings) would read it at start-up:
// a readable container and a record stream read to its end. Its records are the section's
// records; the settings file counts as one record.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "storage/backups.h"

namespace pomix {

struct DataFileCheck {
    bool loads = false;
    std::size_t records = 0;
};

// Reads the file at path as the data file called fileName ("Note.dat", "Pomix.ini" …).
DataFileCheck CheckDataFile(const std::string& fileName, const std::string& path);

struct CheckedCopy {
    BackupCopy copy;
    DataFileCheck check;
};

// Every copy in dataDir's Backup/ folder, checked, in ListBackupCopies order.
std::vector<CheckedCopy> CheckBackupCopies(const std::string& dataDir);
// The newest copy of fileName that loads.
std::optional<CheckedCopy> NewestLoadableCopy(const std::string& dataDir,
                                              const std::string& fileName);

// Puts the copy "<fileName>.<tag>" of dataDir's Backup/ folder back as dataDir + fileName.
// The file it replaces is first kept as a copy of today (KeepCurrentAsBackup), then the copy's
// bytes replace it in one rename. Refuses, naming the copy, a copy that is not there (EFileError)
// or does not load (ECorruptFile); a file where the Backup/ folder belongs is ENotAFolder. Returns where the replaced file was kept (empty when there was none). The
// caller makes sure no other program writes the folder meanwhile (its lock).
std::string RestoreBackupCopy(const std::string& dataDir, const std::string& fileName,
                              const std::string& tag);

}  // namespace pomix
