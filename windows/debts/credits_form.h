// TCreditsForm: the debt book section window. Two kind tabs ("Мне должны", "Я должен") over a
// four-column debt list whose column tabs sort the whole list, a command bar, and two panels
// laid over the whole window: the editor (Panel2) and the money statistics (Panel5).
//
// The names offered for a debtor come from the address book's contacts, read each time the
// editor opens, and again while it is open when the contacts arrive (they are read beside the
// interface) or may have changed (the window shown again); without contacts any name can
// still be typed.
#pragma once

#include <QMenu>

#include "core/addressbook/address_book.h"
#include "core/debts/debt_book.h"
#include "storage/stream_container.h"
#include "kit/column_list_view.h"
#include "kit/controls.h"
#include "kit/form_parts.h"
#include "windows/section_window.h"

namespace pomix {

class TRecordRoutine;

class TCreditsForm : public TSectionWindow {
    Q_OBJECT
public:
    // contacts: the address book's model, whose contacts are read (never changed) whenever the
    // editor opens; null offers no names.
    TCreditsForm(StreamContainer& container, const AddressBook* contacts, QWidget* parent = nullptr,
                 SectionLoad load = {});
    // The read of the section's file at the start of the process (storage/early_reads.h).
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    const CreditList& Credits() const { return debts_.Credits(); }
    DebtBook& Data() { return debts_; }
    const SectionFile& File() const { return debts_.File(); }
    bool DataFileUnread() const override { return debts_.File().LoadFailed(); }
    SectionModel* Model() override { return &debts_; }
    int CurrentKind() const { return CurrentKind_; }

    void LoadNoteList();
    void SaveNoteList();
    // Rebuilds the debt list for one kind; the selection is lost.
    void UpDateListBox(int kind);
    void ShowCreditNote(const TCreditNote& debt);
    void OfferDebtorNames();
    // The contacts arrived or changed: an open editor offers the names anew, the typed text
    // kept; a closed one reads them when it opens.
    void ContactsChanged();
    void SortedCreditList(int tag);
    void Clear();

    void ShowKind(int kind);
    void ShowSelectedDebt();
    void PickDueDate();
    void ShowStatistics();
    void HideStatistics();
    // The model's debts came in or were replaced whole: shown afresh.
    void FollowModel(SectionModel::Change change);

    // The main view.
    TStaticButton* owedToMeTab;  // StaticButton1
    TStaticButton* iOweTab;      // StaticButton2
    TButton* statisticsButton;   // Button8
    TStaticButton* nameColumnTab;
    TStaticButton* subjectColumnTab;
    TStaticButton* dateColumnTab;
    TStaticButton* daysColumnTab;
    TColumnListView* debtList;  // ListBox1
    TButton* editButton;
    TButton* addButton;
    TButton* deleteButton;
    QMenu* debtMenu;  // PopupMenu1
    QAction* editItem;
    QAction* addItem;
    QAction* deleteItem;
    // The editor.
    TPanel* editorPanel;     // Panel2
    TComboBox* debtorBox;    // AFistName
    TMaskEdit* dueDateEdit;  // ADateEdit
    TButton* pickerButton;   // Button7
    TEdit* subjectEdit;      // AName
    TButton* saveButton;     // Button6
    TButton* cancelButton;   // Button5
    TButton* clearButton;    // Button4
    // The statistics.
    TPanel* statisticsPanel;           // Panel5
    TLabel* owedToMeDollars;           // Label9
    TLabel* owedToMeRoubles;           // Label10
    TLabel* iOweDollars;               // Label11
    TLabel* iOweRoubles;               // Label12
    TLabel* balanceDollars;            // Label13
    TLabel* balanceRoubles;            // Label14
    TLabel* leftOutCaption;            // Label15
    TLabel* leftOutCount;              // Label16: debts left out of the totals
    TText* roublesText;                // the word after the rouble sums
    TButton* closeStatisticsButton;    // Button9

    // Add, edit and delete, as every section runs them.
    TRecordRoutine* recordRoutine;

protected:
    void ReInit() override;
    void FormClose() override;
    SectionFile* DataFile() override { return &debts_.File(); }

private:
    void BuildMainView();
    void BuildEditor();
    void BuildStatistics();
    // Add, edit and delete run as in every section (kit/record_routine.h).
    void BuildRoutine();
    // Stores the editor's debt; the row of its line, or nothing when the editor stays open.
    std::optional<int> AddorEdit();
    // The debt of the selected line, or null with no selection or when it is gone.
    const TCreditNote* SelectedDebt() const;
    // The row of the line that reaches the debt with that serial number, or -1.
    int RowOf(std::uint64_t serial) const;

    DebtBook debts_;
    const AddressBook* contacts_;
    int CurrentKind_ = kOwedToMe;
    // The debt of each line of debtList, by row.
    std::vector<ListLine> lines_;
    // The moment the days-left column counts from, taken when the lines were listed: a show
    // on a later day lists them again.
    DateTime listedAt_ = 0;
};

}  // namespace pomix
