// What an import read from a file: the records to add, and an account of what it left out or
// changed on the way.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pomix::dataio {

// A record or a line of the file that was not taken, or taken in a simpler form, and why.
struct ImportNote {
    std::size_t Line = 0;   // where the record or the lines begin in the file
    std::string Reason;     // English, UTF-8
    std::size_t Lines = 0;  // lines of the file left out; 0 when the note is about a record
};

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
