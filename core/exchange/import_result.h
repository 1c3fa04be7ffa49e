// What an import read from a file: the records to add, and an account of what it left out or
// changed on the way.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace pomix::dataio {

// Why a record or a line was not taken or was simplified: what the windows phrase in the
// interface language (Subject fills in the name, text or value the reason speaks of).
enum class ImportReason {
    Other,
    LineTooLong,         // Subject: the limit in MiB
    TextOutside,         // text before, between or after the blocks
    NotAPropertyLine,    // Subject: the line
    NestedTooDeep,       // Subject: the block, when known
    NeverEnded,          // Subject: the block
    CalendarNeverEnded,  // read to the end of the file all the same
    EndWithoutBegin,     // Subject: the block
    NotACalendar,        // Subject: the block
    NotAnEvent,          // Subject: the block (VTODO, VJOURNAL, …)
    ChangedOccurrence,   // Subject: the series' title
    ValueLeftOut,        // Subject: libical's words for the value
    UnknownZone,         // Subject: the TZID
    Cancelled,
    NoStart,
    UnreadableStart,
    AllExcluded,         // Subject: the title
    RecurringTakenOnce,  // Subject: the title
    NotAContact,         // Subject: the block
    EmptyContact,
    NoDate,
    UnreadableDate,       // Subject: the text
    UnreadableTime,       // Subject: the text
    UnreadableBirthDate,  // Subject: the text
    UnclosedQuote,
};

// A record or a line of the file that was not taken, or taken in a simpler form, and why.
struct ImportNote {
    std::size_t Line = 0;   // where the record or the lines begin in the file
    std::string Reason;     // English, UTF-8 (what pomix-data prints)
    std::size_t Lines = 0;  // lines of the file left out; 0 when the note is about a record
    ImportReason Code = ImportReason::Other;
    std::string Subject{};     // UTF-8
    std::size_t LastLine = 0;  // where a stretch of left-out lines ends; 0 for one place
};

// The note with its reason's code and subject.
inline ImportNote Coded(ImportNote note, ImportReason code, std::string subject = {}) {
    note.Code = code;
    note.Subject = std::move(subject);
    return note;
}

template <class Record>
struct ImportResult {
    std::vector<Record> Records;
    // The UID the file gives each record (empty when it gives none), in the order of Records.
    std::vector<std::string> Uids;
    std::vector<ImportNote> Skipped;
    std::vector<ImportNote> Simplified;
    // Parts of the file that were not records and were left out (unreadable lines, a broken
    // time zone).
    std::vector<ImportNote> Warnings;
    // Characters code page 1251 cannot hold, stored as "?".
    std::size_t Replaced = 0;

    std::size_t LinesLeftOut() const {
        std::size_t lines = 0;
        for (const ImportNote& note : Warnings) lines += note.Lines;
        return lines;
    }
};

// UTF-8 text made into code page 1251, control characters dropped, counting into replaced the
// characters that became "?".
std::string ToStored(const std::string& utf8, std::size_t& replaced);

}  // namespace pomix::dataio
