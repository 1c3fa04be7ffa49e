#include "core/backups/backup_copies.h"

#include <algorithm>
#include <functional>

#include "core/addressbook/address.h"
#include "core/catalog/catalog.h"
#include "core/debts/credit.h"
#include "core/notes/note.h"
#include "core/planner/calendar_format.h"
#include "core/settings/settings_record.h"
#include "storage/atomic_file.h"
#include "storage/errors.h"
#include "storage/stream_container.h"

namespace pomix {
namespace {

// Reads stream streamName of the file with read, which returns the records it read.
DataFileCheck Check(const std::string& path, const std::string& streamName,
                    const std::function<std::size_t(Stream&)>& read) {
    DataFileCheck check;
    try {
        StreamContainer container;
        container.ReadStreamFromFile(path, streamName,
                                     [&](Stream& stream) { check.records = read(stream); });
        check.loads = true;
    } catch (const std::exception&) {
        check = {};
    }
    return check;
}

template <class List, class Read>
std::function<std::size_t(Stream&)> Counting(Read read) {
    return [read](Stream& stream) {
        List list;
        read(stream, list);
        return list.Count();
    };
}

}  // namespace

DataFileCheck CheckDataFile(const std::string& fileName, const std::string& path) {
    if (fileName == kCalendarFile)
        return Check(path, kCalendarStream, Counting<EventList>(ReadCalendar));
    if (fileName == kAddressFileName) {
        return Check(path, kAddressStreamName, Counting<AddressList>(ReadAddressList));
    }
    if (fileName == kNoteFileName)
        return Check(path, kNoteStreamName, Counting<NoteList>(ReadNotes));
    if (fileName == kCatalogFileName) {
        return Check(path, kCatalogStreamName, Counting<CatalogList>(ReadCatalogList));
    }
    if (fileName == kCreditFileName)
        return Check(path, kCreditStreamName, Counting<CreditList>(ReadCreditList));
    if (fileName == kSettingsFileName) {
        // The settings load as the program loads them: a missing or short stream is damage.
        return Check(path, kSettingsStreamName, [](Stream& stream) -> std::size_t {
            if (stream.Size() == 0) throw ECorruptFile();
            ReadSettings(stream);
            return 1;
        });
    }
    return {};
}

std::vector<CheckedCopy> CheckBackupCopies(const std::string& dataDir) {
    std::vector<CheckedCopy> checked;
    for (BackupCopy& copy : ListBackupCopies(dataDir)) {
        const DataFileCheck check = CheckDataFile(copy.file, copy.path);
        checked.push_back({std::move(copy), check});
    }
    return checked;
}

std::optional<CheckedCopy> NewestLoadableCopy(const std::string& dataDir,
                                              const std::string& fileName) {
    auto copies = ListBackupCopies(dataDir);
    for (auto it = copies.rbegin(); it != copies.rend(); ++it) {
        if (it->file != fileName) continue;
        const DataFileCheck check = CheckDataFile(it->file, it->path);
        if (check.loads) return CheckedCopy{*it, check};
    }
    return std::nullopt;
}

std::string RestoreBackupCopy(const std::string& dataDir, const std::string& fileName,
                              const std::string& tag) {
    // Only a name the listing shows: a tag cannot lead out of the folder.
    const auto copies = ListBackupCopies(dataDir);
    const auto copy = std::find_if(copies.begin(), copies.end(), [&](const BackupCopy& c) {
        return c.file == fileName && c.tag == tag;
    });
    if (copy == copies.end()) {
        throw EFileError("No backup copy " + dataDir + kBackupFolderName + "/" + fileName + "." +
                         tag);
    }
    const std::string copyPath = copy->path;
    if (!CheckDataFile(fileName, copyPath).loads)
        throw ECorruptFile("The backup copy " + copyPath + " is damaged");
    const Bytes bytes = ReadFileBytes(copyPath);
    const std::string kept = KeepCurrentAsBackup(dataDir + fileName);
    ReplaceFile(dataDir + fileName, bytes.data(), bytes.size());
    return kept;
}

}  // namespace pomix
