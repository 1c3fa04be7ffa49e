// The notes: titled free texts stamped with the moment of their last change.
//
// Stream "NBook": int32 note count N, then N times: Date (8-byte double), Name (text field),
// Memo (string list). No header, version or checksum.
#pragma once

#include <string>
#include <vector>

#include "storage/dates.h"
#include "storage/field_codec.h"
#include "storage/record_list.h"
#include "storage/stream.h"

namespace pomix {

struct TNote {
    TNote(DateTime date, StrList memo, std::string name)
        : Name(std::move(name)), Date(date), Memo(std::move(memo)) {}

    std::int32_t Index = 0;  // position in the list, rewritten whenever the title list is rebuilt
    std::string Name;
    DateTime Date;
    StrList Memo;
};

using NoteList = RecordList<TNote>;

inline constexpr const char* kNoteStreamName = "NBook";
inline constexpr const char* kNoteFileName = "Note.dat";

// Appends the notes of an "NBook" stream to list, one by one, so that a stream that ends early
// (EStreamReadError) leaves the notes read before it. An empty stream holds no notes.
void ReadNotes(Stream& stream, NoteList& list);
void WriteNotes(const NoteList& list, Stream& stream);

enum class NoteSearch { ByName, ByText, Everywhere };

// Whole-field wildcard match with case ignored; Everywhere tests the title first.
bool NoteMatches(const TNote& note, const std::string& pattern, NoteSearch where);

}  // namespace pomix
