#include "dump_kinds.h"
#include "json.h"
#include "notes/note.h"

namespace pomix::tool {

void DumpNotes(const std::string& path, std::ostream& out) {
    NoteList notes;
    ReadDataFile(path, kNoteStreamName, [&](Stream& s) { ReadNotes(s, notes); });
    std::vector<std::string> objects;
    for (std::size_t i = 0; i < notes.Count(); ++i) {
        const TNote& note = notes[i];
        objects.push_back(JsonObject()
                              .Number("Date", note.Date)
                              .Text("Name", note.Name)
                              .Lines("Memo", note.Memo)
                              .Str());
    }
    PrintArray(out, objects);
}

}  // namespace pomix::tool
