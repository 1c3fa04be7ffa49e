// TNoteForm: the notes section window. Titles on the left (sorted), the selected note on the
// right, a command bar below, and two overlays: the editor (Panel4) and the search (Panel5).
#pragma once

#include <QMenu>
#include <QRadioButton>

#include "notes/note.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"
#include "ui/controls.h"
#include "ui/section_window.h"

namespace pomix {

class TNoteForm : public TSectionWindow {
    Q_OBJECT
public:
    explicit TNoteForm(StreamContainer& container, QWidget* parent = nullptr);

    NoteList& Notes() { return NoteList_; }
    const SectionFile& File() const { return file_; }

    void LoadNoteList();
    void SaveNoteList();
    void UpDateNoteList();
    void ShowNote(const TNote& note);
    void Clear();
    void Add();
    void Edit();
    void Delete();
    void FoundRecord();
    void ListBox1Click();
    void Button4Click();   // open the search panel
    void Button6Click();   // close it
    void Button7Click();   // empty the search text
    void Button8Click();   // all titles again
    void Button9Click();   // save the editor
    void Button10Click();  // empty the editor fields
    void Button11Click();  // cancel the editor
    void Button12Click();  // the date picker
    void Button13Click();  // text from a file
    void Button14Click();  // text to a file

    // The main view.
    TStaticButton* Text1;
    TSortedListBox* ListBox1;
    TStaticButton* Text3;
    TLabel* Label2;
    TLabel* Label1;
    TButton* Button1;
    TButton* Button2;
    TButton* Button3;
    TButton* Button4;
    QMenu* PopupMenu1;
    QAction* N1;
    QAction* N2;
    QAction* N3;
    QAction* N4;
    // The editor.
    TPanel* Panel4;
    TEdit* AName;
    TMaskEdit* ADateEdit;
    TMemo* AMemo;
    TButton* Button9;
    TButton* Button10;
    TButton* Button11;
    TButton* Button12;
    TButton* Button13;
    TButton* Button14;
    // The search.
    TPanel* Panel5;
    TEdit* Edit2;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    TButton* Button5;
    TButton* Button6;
    TButton* Button7;
    TButton* Button8;

protected:
    void ReInit() override;
    void FormClose() override;

private:
    void BuildMainView();
    void BuildEditor();
    void BuildSearch();
    // The note of the selected title, or null with no selection.
    TNote* SelectedNote();

    SectionFile file_;
    NoteList NoteList_;
};

}  // namespace pomix
