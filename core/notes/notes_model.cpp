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

// The notes read beside the interface, their titles sorted there too: the interface thread
// only takes them.
struct NotesLoad : ListLoad<NoteList> {
    using ListLoad::ListLoad;
    std::vector<ListLine> titles;
    void Read() {
        file.LoadList(list, ReadNotes);
        titles = SortedTitles(list);
    }
    void Adopt(NotesLoad&& other) {
        ListLoad::Adopt(std::move(other));
        titles = std::move(other.titles);
    }
};

}  // namespace

NotesModel::NotesModel(StreamContainer& container, std::string fileName)
    : file_(container, std::move(fileName), kNoteStreamName) {}

EarlyRead NotesModel::EarlyReadIn(const std::string& dataDir) {
    return MakeEarlyRead<NotesLoad>(dataDir + kNoteFileName, kNoteStreamName);
}

std::optional<SectionModel::Load> NotesModel::MakeLoad() {
    auto load = std::make_shared<NotesLoad>(file_);
    return SectionModel::Load{[load] { ReadOrTakeEarly(*load); },
                              [this, load] {
                                  notes_ = std::move(load->list);
                                  file_.AdoptLoad(load->file);
                                  readTitles_ = std::move(load->titles);
                                  ClearChanged();
                                  Notify(Change::Loaded);
                              }};
}

void NotesModel::Save() {
    file_.SaveList(notes_, Modified(), WriteNotes);
    ClearChanged();
}

std::shared_ptr<FileImage> NotesModel::ImageOfRecords() {
    return file_.TakeListImage(notes_, WriteNotes);
}

std::vector<ListLine> NotesModel::Titles() {
    std::optional<std::vector<ListLine>> read = std::exchange(readTitles_, std::nullopt);
    return read ? std::move(*read) : SortedTitles(notes_);
}

std::vector<ListLine> NotesModel::Found(const std::string& pattern, NoteSearch where) const {
    std::vector<ListLine> found;
    for (std::size_t i = 0; i < notes_.Count(); ++i) {
        if (NoteMatches(notes_[i], pattern, where)) found.push_back(notes_.LineFor(i, notes_[i].Name));
    }
    return found;
}

bool NotesModel::Precedes(std::int32_t index, std::uint64_t serial) const {
    const TNote* other = notes_.BySerial(serial);
    return other && index < other->Index;
}

std::uint64_t NotesModel::Keep(std::uint64_t serial, std::string name, StrList memo) {
    TNote* note = notes_.BySerial(serial);
    if (!note) {
        note = &notes_.Add(TNote(Now(), std::move(memo), std::move(name)));
        serial = notes_.SerialAt(notes_.Count() - 1);
    } else {
        note->Date = Now();
        note->Name = std::move(name);
        note->Memo = std::move(memo);
    }
    // A view placing this one title finds every note's index current.
    notes_.Reindex();
    Changed();
    return serial;
}

bool NotesModel::Delete(std::uint64_t serial) {
    const std::optional<std::size_t> index = notes_.FindSerial(serial);
    if (!index) return false;
    notes_.Delete(*index);
    Changed();
    return true;
}

void NotesModel::Changed() {
    readTitles_.reset();
    MarkChanged();
}

}  // namespace pomix
