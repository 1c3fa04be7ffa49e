// Import and export of other programs' files from a section window: the file dialogs, the
// dropped files, and the one message that tells what an import added and left out.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/exchange/import_file.h"

namespace pomix {

// What a window exchanges: events as iCalendar (.ics), contacts as vCard (.vcf), either as CSV
// (.csv). The file's name decides its format (dataio::IsCsvFileName).
enum class ExchangeFormat { Calendar, Contacts };

// The path chosen in the open dialog, empty when cancelled.
std::string ChooseImportFile(QWidget* parent, ExchangeFormat format);
// The path chosen in the save dialog, the chosen filter's extension (the section's own format
// or .csv) added when typed without one; empty when cancelled.
std::string ChooseExportFile(QWidget* parent, ExchangeFormat format);

// Calls onFile with the local path of every file dropped on window.
void AcceptDroppedFiles(QWidget* window, std::function<void(const std::string&)> onFile);

// The message after an import: the counts in the interface language, then what was left out
// or changed, each with the file, its line and the reason in the interface language (the
// core's reason code worded by the Messages texts; at most kMaxShownNotes, the rest counted).
inline constexpr std::size_t kMaxShownNotes = 20;
enum class ImportNoteKind { Skipped, Simplified, Note };
QString ImportNoteLine(const std::string& path, const dataio::ImportNote& note, ImportNoteKind kind);
QString ImportReport(std::size_t added, std::size_t skipped, std::size_t simplified,
                     std::size_t replaced, std::size_t linesLeftOut,
                     const std::vector<QString>& notes);
void ShowImportMessage(const QString& message);

template <class Record>
void ShowImportReport(const std::string& path, const dataio::ImportResult<Record>& result) {
    std::vector<QString> notes;
    const auto add = [&](const std::vector<dataio::ImportNote>& list, ImportNoteKind kind) {
        for (const dataio::ImportNote& note : list) notes.push_back(ImportNoteLine(path, note, kind));
    };
    add(result.Skipped, ImportNoteKind::Skipped);
    add(result.Simplified, ImportNoteKind::Simplified);
    add(result.Warnings, ImportNoteKind::Note);
    ShowImportMessage(ImportReport(result.Records.size(), result.Skipped.size(),
                                   result.Simplified.size(), result.Replaced, result.LinesLeftOut(),
                                   notes));
}

// An import or export that failed (a file that cannot be read or written, no such file at
// all): one error message naming the file.
void ShowExchangeError(const std::string& path, const std::string& what);

}  // namespace pomix
