// The notes' model: the notes, their file and the order of their titles, shared by the window
// and the program's services (the saves, a copy put back).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/list_model.h"
#include "core/notes/note.h"

namespace pomix {

class NotesModel : public ListModel<NoteList> {
public:
    NotesModel(StreamContainer& container, std::string fileName);

    const NoteList& Notes() const { return list_; }

    // The read beside the interface sorts the titles there too.
    std::optional<SectionModel::Load> MakeLoad() override;
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    // Every title, each with its note's serial number, sorted without regard to case (equal
    // titles keep the notes' order); renumbers the notes. Right after a read these are the
    // titles the read sorted.
    std::vector<ListLine> Titles();
    // The titles of the notes that match, in the notes' order.
    std::vector<ListLine> Found(const std::string& pattern, NoteSearch where) const;
    // Whether the note of index comes before the note of serial among equal titles (the
    // indices are those of the last change): a title placed alone lands where Titles puts it.
    bool Precedes(std::int32_t index, std::uint64_t serial) const;

    // The editor's note kept, stamped with the moment: the note of serial changed, or with no
    // such note a new one (what was typed is not lost). The serial of the note kept.
    std::uint64_t Keep(std::uint64_t serial, std::string name, StrList memo);
};

}  // namespace pomix
