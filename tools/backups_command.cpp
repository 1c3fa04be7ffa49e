// pomix-data backups DATA_DIR, pomix-data restore DATA_DIR FILE DATE: the daily copies that the
// saves keep in DATA_DIR/Backup/.
#include <iostream>

#include "commands.h"
#include "core/backups/backup_copies.h"
#include "storage/data_lock.h"

namespace pomix::tool {
namespace {

// The folder with a trailing "/", as the core joins names to it.
std::string Folder(const std::string& dir) {
    if (dir.empty()) return "./";
    return dir.back() == '/' ? dir : dir + "/";
}

}  // namespace

int RunBackups(const Args& args) {
    if (args.size() != 1) return UsageError("backups takes DATA_DIR");
    const auto copies = CheckBackupCopies(Folder(args[0]));
    for (const CheckedCopy& c : copies) {
        std::cout << c.copy.file << "\t" << c.copy.tag << "\t";
        if (c.check.loads) {
            std::cout << c.check.records << (c.check.records == 1 ? " record" : " records")
                      << "\tloads\n";
        } else {
            std::cout << "-\tdamaged\n";
        }
    }
    if (copies.empty())
        std::cerr << "no backup copies in " << Folder(args[0]) << kBackupFolderName << "/\n";
    return kOk;
}

int RunRestore(const Args& args) {
    if (args.size() != 3) return UsageError("restore takes DATA_DIR FILE DATE");
    const std::string dir = Folder(args[0]);
    if (!IsBackedUpFileName(args[1])) return UsageError("no data file is called '" + args[1] + "'");
    DataFolderLock lock(dir);
    if (lock.GetState() == DataFolderLock::State::HeldElsewhere) {
        std::cerr << "Pomix has the data folder " << dir
                  << " open; close the program and restore again\n";
        return kError;
    }
    if (!lock.Locked()) {
        std::cerr << lock.Error() << "\n";
        return kError;
    }
    const std::string kept = RestoreBackupCopy(dir, args[1], args[2]);
    std::cout << "restored " << dir << args[1] << " from " << dir << kBackupFolderName << "/"
              << args[1] << "." << args[2];
    if (!kept.empty()) std::cout << "; the file it replaced is kept as " << kept;
    std::cout << "\n";
    return kOk;
}

}  // namespace pomix::tool
