// The base of the six section windows hosted in the main window's display area: a borderless
// 514 x 360 window with the section's state (FileName, Modified, AddMode), its dictionary
// binding and its recolouring.
//
// Life: created once (the subclass's constructor is its FormCreate: load the data file, build
// the controls, then BindDictionary()); each show reads the dictionary, then runs ReInit;
// CloseForm at shutdown runs FormClose (save when Modified) and writes the dictionary back.
//
// A section in outline:
//
//   TNoteForm::TNoteForm(StreamContainer& container, QWidget* parent)
//       : TSectionWindow(kRecolourNotes, "NoteBookForm",
//                        ExpandItems({"Button1-4.Caption,Hint", "Text1.Caption"}), parent) {
//       ListBox1 = Make<TSortedListBox>(this, "ListBox1", {4, 24, 200, 300});
//       Button1 = Make<TButton>(this, "Button1", {4, 330, 80, 22}, QStringLiteral("Удалить"));
//       connect(Button1, &QPushButton::clicked, this, &TNoteForm::Delete);
//       FileName = DataDir() + "Note.dat";
//       LoadNoteList();
//       binding_.BindDictionary();
//   }
//   void TNoteForm::ReInit() { binding_.ApplyColours([this] { /* the window's own extras */ }); }
//   void TNoteForm::FormClose() { if (Modified) SaveNoteList(); }  // errors pass on
//
// Messages go through ShowError / AskYesNo (ui/message.h) so tests can answer them.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "ui/form_binding.h"

namespace pomix {

class TSectionWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 514;
    static constexpr int kHeight = 360;

    TSectionWindow(int recolourIndex, std::string dictionarySection, std::vector<std::string> items,
                   QWidget* parent = nullptr);

    std::string FileName;   // the data file: DataDir() + its name
    bool Modified = false;  // the list changed since loading; saved at close only then
    bool AddMode = false;   // the editor adds a record (true) or edits the selected one

    // The shutdown's close: FormClose, then the dictionary write-back, then hidden. A storage
    // error of FormClose passes on to the caller before anything else happens, so the
    // shutdown can stop there and run again later.
    void CloseForm();

    TFormBinding& Binding() { return binding_; }

protected:
    // Runs each time the window is shown, after the dictionary was read. The base recolours
    // the controls when the window's RecolourPending entry is set.
    virtual void ReInit();
    // Writes the data file when Modified; raises the storage errors of the save.
    virtual void FormClose() {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    TFormBinding binding_;
};

}  // namespace pomix
