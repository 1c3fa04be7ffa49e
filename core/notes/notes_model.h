// The notes' model: the notes, their file and the order of their titles, shared by the window
// and the program's services (the saves, a copy put back).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/section_model.h"
#include "core/notes/note.h"
#include "storage/early_reads.h"
#include "storage/record_list.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"

namespace pomix {

class NotesModel : public SectionModel {
public:
    // fileName is DataDir + "Note.dat"; the container is the program's shared one.
    NotesModel(StreamContainer& container, std::string fileName);

    const NoteList& Notes() const { return notes_; }
    SectionFile& File() { return file_; }
    const SectionFile& File() const { return file_; }
    SectionFile* DataFile() override { return &file_; }

    // The file's notes in place of the list (LoadNow, or MakeLoad beside the interface, the
    // titles sorted there too, taking the start's early read where it is still current).
    std::optional<SectionModel::Load> MakeLoad() override;
    static EarlyRead EarlyReadIn(const std::string& dataDir);
    // Writes the file when the notes changed, then clears the mark. Storage errors pass to the
    // caller with the mark still set.
    void Save();

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
    // False when the note is gone already.
    bool Delete(std::uint64_t serial);

protected:
    std::shared_ptr<FileImage> ImageOfRecords() override;

private:
    void Changed();

    SectionFile file_;
    NoteList notes_;
    // The titles a read sorted beside the interface, until the first change or look.
    std::optional<std::vector<ListLine>> readTitles_;
};

}  // namespace pomix
