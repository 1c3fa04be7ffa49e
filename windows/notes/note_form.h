// TNoteForm: the notes section window. Titles on the left (sorted), the selected note on the
// right, a command bar below, and two overlays: the editor and the search.
#pragma once

#include <QMenu>
#include <QRadioButton>

#include "core/notes/notes_model.h"
#include "storage/stream_container.h"
#include "kit/controls.h"
#include "kit/memo_file.h"
#include "windows/section_window.h"

namespace pomix {

class TRecordRoutine;

class TNoteForm : public TSectionWindow {
    Q_OBJECT
public:
    explicit TNoteForm(StreamContainer& container, QWidget* parent = nullptr,
                       SectionLoad load = {});
    // The read of the section's file at the start of the process (storage/early_reads.h).
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    const NoteList& Notes() const { return notes_.Notes(); }
    NotesModel& Data() { return notes_; }
    const SectionFile& File() const { return notes_.File(); }
    bool DataFileUnread() const override { return notes_.File().LoadFailed(); }
    SectionModel* Model() override { return &notes_; }

    void LoadNoteList();
    void SaveNoteList();
    void UpDateNoteList();
    void ShowNote(const TNote& note);
    void Clear();
    void ShowSelected();
    void ClearEditor();  // empties the title and the text, not the date
    void PickDate();
    void LoadTextFromFile();
    void SaveTextToFile();
    // The model's notes came in or were replaced whole: shown afresh.
    void FollowModel(SectionModel::Change change);

    // The main view.
    TStaticButton* titlesHeader;
    TSortedListBox* titleList;
    TStaticButton* noteTitle;
    TLabel* noteDateLabel;
    TLabel* noteTextLabel;
    TButton* deleteButton;
    TButton* addButton;
    TButton* editButton;
    TButton* searchButton;
    QMenu* titleMenu;
    QAction* addItem;
    QAction* editItem;
    QAction* deleteItem;
    QAction* searchItem;
    // The editor.
    TPanel* editPanel;
    TEdit* titleEdit;
    TMaskEdit* dateEdit;
    TMemo* textMemo;
    TButton* saveButton;
    TButton* clearButton;
    TButton* cancelButton;
    TButton* pickDateButton;
    TButton* loadTextButton;
    TButton* saveTextButton;
    // The search.
    TPanel* searchPanel;
    TEdit* searchEdit;
    QRadioButton* byTitleRadio;
    QRadioButton* byTextRadio;
    QRadioButton* everywhereRadio;
    TButton* findButton;
    TButton* closeSearchButton;
    TButton* clearSearchButton;
    TButton* clearResultsButton;
    // What the memo's file commands tell when a file cannot be taken or written.
    TTextFileMessages* fileMessages;

    // Add, edit, delete and search, as every section runs them.
    TRecordRoutine* recordRoutine;

protected:
    void ReInit() override;
    void FormClose() override;
    SectionFile* DataFile() override { return &notes_.File(); }

private:
    // The title list holds every note (not a search's finds): an edit then moves one line.
    bool allTitlesListed_ = true;
    void BuildMainView();
    void BuildEditor();
    void BuildSearch();
    // Add, edit, delete and search run as in every section (kit/record_routine.h).
    void BuildRoutine();
    // Stores the editor's note; the row of its line.
    int SaveEditor();
    // The note of the selected title, or null with no selection.
    const TNote* SelectedNote() const;
    // The selected title's note serial number, 0 with no selection.
    std::uint64_t SelectedSerial() const;
    void ShowTitles(std::vector<ListLine> lines, bool all);

    NotesModel notes_;
};

}  // namespace pomix
