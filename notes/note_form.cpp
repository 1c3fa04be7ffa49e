#include "notes/note_form.h"

#include "settings/program_files.h"

namespace pomix {

TNoteForm::TNoteForm(StreamContainer& container, QWidget* parent)
    : TSectionWindow(kRecolourNotes, "NoteBookForm", {}, parent), container_(container) {
    setObjectName("NoteForm");
    binding_.BindDictionary();
}

}  // namespace pomix
