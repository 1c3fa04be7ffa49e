#include "core/notes/notes_model.h"

#include <utility>

namespace pomix {
namespace {

std::vector<ListLine> SortedTitles(NoteList& notes) {
    notes.Reindex();
    std::vector<ListLine> lines;
    lines.reserve(notes.Count());
    for (std::size_t i = 0; i < notes.Count(); ++i) lines.push_back(notes.LineFor(i, notes[i].Name));
    SortLines(lines);
    return lines;
}

// The notes, their titles sorted beside the interface too.
struct NoteRecords {
    using List = NoteList;
    static void Read(SectionFile& file, NoteList& notes) { file.LoadList(notes, ReadNotes); }
    static std::vector<ListLine> Lines(NoteList& notes) { return SortedTitles(notes); }
};
using NotesLoad = LinesLoad<NoteRecords>;

}  // namespace

NotesModel::NotesModel(StreamContainer& container, std::string fileName)
    : ListModel(container, std::move(fileName), kNoteStreamName, WriteNotes) {}

EarlyRead NotesModel::EarlyReadIn(const std::string& dataDir) {
    return MakeEarlyRead<NotesLoad>(dataDir + kNoteFileName, kNoteStreamName);
}

std::optional<SectionModel::Load> NotesModel::MakeLoad() {
    return ReadBeside<NotesLoad>();
}

std::vector<ListLine> NotesModel::Titles() {
    std::optional<std::vector<ListLine>> read = TakeReadLines();
    return read ? std::move(*read) : SortedTitles(list_);
}

std::vector<ListLine> NotesModel::Found(const std::string& pattern, NoteSearch where) const {
    std::vector<ListLine> found;
    for (std::size_t i = 0; i < list_.Count(); ++i) {
        if (NoteMatches(list_[i], pattern, where)) found.push_back(list_.LineFor(i, list_[i].Name));
    }
    return found;
}

bool NotesModel::Precedes(std::int32_t index, std::uint64_t serial) const {
    const TNote* other = list_.BySerial(serial);
    return other && index < other->Index;
}

std::uint64_t NotesModel::Keep(std::uint64_t serial, std::string name, StrList memo) {
    TNote* note = list_.BySerial(serial);
    if (!note) {
        list_.Add(TNote(Now(), std::move(memo), std::move(name)));
        serial = list_.SerialAt(list_.Count() - 1);
    } else {
        note->Date = Now();
        note->Name = std::move(name);
        note->Memo = std::move(memo);
    }
    // A view placing this one title finds every note's index current.
    list_.Reindex();
    Changed();
    return serial;
}

}  // namespace pomix
