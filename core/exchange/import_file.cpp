#include "core/exchange/import_file.h"

#include <sys/stat.h>

#include "core/exchange/content_line.h"
#include "core/exchange/icalendar.h"
#include "core/exchange/records_csv.h"
#include "core/exchange/vcard.h"
#include "storage/errors.h"
#include "storage/stream.h"
#include "storage/text.h"

namespace pomix::dataio {

std::string ReadImportFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw EFileError::CannotOpen(path);
    if (!S_ISREG(info.st_mode)) throw EFileError::CannotOpen(path);
    const FormatError tooLarge("file too large (over " + std::to_string(kMaxInputBytes >> 20) +
                               " MiB)");
    if (static_cast<unsigned long long>(info.st_size) > kMaxInputBytes) throw tooLarge;
    const Bytes bytes = ReadFileBytes(path);
    // The file may have grown since it was measured.
    if (bytes.size() > kMaxInputBytes) throw tooLarge;
    return std::string(bytes.begin(), bytes.end());
}

ImportResult<Event> ImportCalendarFile(const std::string& path) {
    return ReadICalendar(ReadImportFile(path));
}

ImportResult<Contact> ImportContactsFile(const std::string& path) {
    return ReadVCards(ReadImportFile(path));
}

ImportResult<Event> ImportEventsCsvFile(const std::string& path) {
    return ReadEventsCsv(ReadImportFile(path));
}

ImportResult<Contact> ImportContactsCsvFile(const std::string& path) {
    return ReadContactsCsv(ReadImportFile(path));
}

bool IsCsvFileName(const std::string& path) {
    if (path.size() < 4) return false;
    return LowerAscii(path.substr(path.size() - 4)) == ".csv";
}

}  // namespace pomix::dataio
