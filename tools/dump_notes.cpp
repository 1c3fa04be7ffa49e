#include "dump_kinds.h"
#include "core/notes/note.h"

namespace pomix::tool {

dataio::RecordTable NotesTable(const std::string& path) {
    NoteList notes;
    ReadDataFile(path, kNoteStreamName, [&](Stream& s) { ReadNotes(s, notes); });
    return dataio::TableOf(
        notes,
        [](const TNote& note, dataio::Row& row) {
            row.Moment("Date", note.Date).Text("Name", note.Name).Lines("Memo", note.Memo);
        },
        TNote(0, {}, ""));
}

}  // namespace pomix::tool
