// An import of another program's file, as pomix-data and the windows run it: the file read
// with its limits, the records read from it, and the account of it that is shown.
#pragma once

#include <string>
#include <vector>

#include "core/addressbook/address.h"
#include "core/exchange/import_result.h"
#include "core/planner/event.h"

namespace pomix::dataio {

// The bytes of a file to import. Only a regular file is read (a pipe or device could block or
// never end); EFileError when it cannot be opened, FormatError when it is over kMaxInputBytes.
std::string ReadImportFile(const std::string& path);

// The file read and its records; FormatError when it is no such file at all.
ImportResult<Event> ImportCalendarFile(const std::string& path);
ImportResult<Contact> ImportContactsFile(const std::string& path);
ImportResult<Event> ImportEventsCsvFile(const std::string& path);
ImportResult<Contact> ImportContactsCsvFile(const std::string& path);

// Whether the file's name ends in ".csv" (any case): the windows choose the format by it,
// every other name being the section's own format (iCalendar, vCard).
bool IsCsvFileName(const std::string& path);

// What an import left out or changed, one line each: "FILE:LINE: skipped: reason" (also
// "simplified", and "note" for lines left out).
template <class Record>
std::vector<std::string> NoteLines(const std::string& file, const ImportResult<Record>& result) {
    std::vector<std::string> lines;
    const auto add = [&](const std::vector<ImportNote>& notes, const char* what) {
        for (const ImportNote& note : notes) {
            lines.push_back(file + ":" + std::to_string(note.Line) + ": " + what + ": " +
                            note.Reason);
        }
    };
    add(result.Skipped, "skipped");
    add(result.Simplified, "simplified");
    add(result.Warnings, "note");
    return lines;
}

// "12 added, 2 skipped, 1 simplified, 3 characters replaced by "?"" and, when lines were left
// out, ", 4 lines left out".
template <class Record>
std::string SummaryLine(const ImportResult<Record>& result) {
    std::string line = std::to_string(result.Records.size()) + " added, " +
                       std::to_string(result.Skipped.size()) + " skipped, " +
                       std::to_string(result.Simplified.size()) + " simplified, " +
                       std::to_string(result.Replaced) + " characters replaced by \"?\"";
    if (const std::size_t lines = result.LinesLeftOut()) {
        line += ", " + std::to_string(lines) + (lines == 1 ? " line" : " lines") + " left out";
    }
    return line;
}

}  // namespace pomix::dataio
