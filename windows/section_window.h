// The base of the six section windows hosted in the main window's display area: a borderless
// 514 x 360 window with the section's state (FileName, Modified, AddMode), its dictionary
// binding and its recolouring.
//
// Life: created once (the subclass's constructor is its FormCreate: build the controls,
// BindDictionary(), then LoadData(), which reads the data file at once or, made with a loader
// (SectionLoad), beside the interface); each show reads the dictionary, then runs ReInit; while the
// program runs the main window hands the changes to the background saver (TakeSave); CloseForm
// at shutdown runs FormClose (save when Modified) and writes the dictionary back.
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
//       binding_.BindDictionary();
//       LoadData();  // MakeLoad: the read, and the taking of the list it read
//   }
//   void TNoteForm::ReInit() { binding_.ApplyColours([this] { /* the window's own extras */ }); }
//   void TNoteForm::FormClose() { if (Modified) SaveNoteList(); }  // errors pass on
//
// Messages go through ShowError / AskYesNo (kit/message.h) so tests can answer them.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/model/section_model.h"
#include "storage/section_file.h"
#include "kit/background_load.h"
#include "kit/background_save.h"
#include "storage/early_reads.h"
#include "kit/form_binding.h"

namespace pomix {

// Where a section window reads its data file as it is made: at once (a window made on its own),
// or beside the interface through a loader under a key (the main window's).
struct SectionLoad {
    TBackgroundLoader* loader = nullptr;
    int key = 0;
};

class TSectionWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 514;
    static constexpr int kHeight = 360;

    TSectionWindow(int recolourIndex, std::string dictionarySection, std::vector<std::string> items,
                   QWidget* parent = nullptr, SectionLoad load = {});

    std::string FileName;   // the data file: DataDir() + its name
    bool Modified = false;  // the list changed since it was last saved
    bool AddMode = false;   // the editor adds a record (true) or edits the selected one

    // The shutdown's close: FormClose, then the dictionary write-back, then hidden. A storage
    // error of FormClose passes on to the caller before anything else happens, so the
    // shutdown can stop there and run again later.
    void CloseForm();

    TFormBinding& Binding() { return binding_; }
    // The data file was there but could not be read whole at creation (the section started
    // with what was read before the damage, or nothing).
    virtual bool DataFileUnread() const { return false; }

    // The section's model, where it has one: the records, their file and their state, which
    // the program's services share with the window.
    virtual SectionModel* Model() { return nullptr; }
    const SectionModel* Model() const { return const_cast<TSectionWindow*>(this)->Model(); }

    // Saving in the background: a section's records are written through its model.
    virtual bool HasChanges() const { return Model() ? Model()->Modified() : Modified; }
    virtual void MarkChanged();
    // The write of the changes made since the last one, or none: no changes, a write of this
    // section still running, or no data file. When the write fails the changes count as
    // unsaved; the next change or the close writes them.
    std::optional<SaveWork> TakeSave();
    bool SaveFailed() const { return Model() && Model()->SaveFailed(); }
    // A write of this section is out.
    bool Saving() const { return Model() && Model()->Saving(); }

    // Loading beside the interface: a section made with a loader hands the read of its data
    // file to it, and until the records are in it is not Loaded and takes no input.
    // A section with a model reads its file again beside the interface (a copy was put
    // back): the window stays, its views follow the records read. False without a model.
    bool ReadAgain(TBackgroundLoader& loader, int key);
    bool Loaded() const { return loaded_; }

signals:
    void dataLoaded();

protected:
    // Called by the constructor where the data file is to be read.
    void LoadData();
    // The model's Editing follows the editor panel's shown state.
    void FollowEditor(QWidget* editorPanel);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The read of the data file and the taking of what it read; none for a section without.
    // The model's read, where there is a model.
    virtual std::optional<LoadWork> MakeLoad();
    // The records came through the loader, after the window was made.
    bool LoadedLater() const { return loadedLater_; }

    virtual SectionFile* DataFile() { return nullptr; }

    // Runs each time the window is shown, after the dictionary was read. The base recolours
    // the controls when the window's RecolourPending entry is set.
    virtual void ReInit();
    // Writes the data file when Modified; raises the storage errors of the save.
    virtual void FormClose() {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    TFormBinding binding_;

private:
    void SetLoaded(bool loaded);
    std::optional<LoadWork> ModelLoad();
    void LoadBeside(LoadWork work, TBackgroundLoader& loader, int key);
    QWidget* editorPanel_ = nullptr;
    SectionLoad load_;
    bool loaded_ = true;
    bool loadedLater_ = false;
};

}  // namespace pomix
