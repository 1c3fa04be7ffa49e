// TABookForm: the address book section window. Category tabs and the sorted contact list on
// the left, the selected contact's details on the right, a command bar below, and three
// panels laid over the details side on demand: the editor, the search and the coming
// birthdays. The list and the tabs stay usable beside the search and the birthdays; the
// editor covers them until Save or Cancel, so that it keeps the contact it was opened on.
#pragma once

#include <QMenu>
#include <cstdint>
#include <optional>

#include "core/addressbook/address.h"
#include "core/addressbook/address_book.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"
#include "kit/controls.h"
#include "kit/memo_file.h"
#include "kit/form_parts.h"
#include "kit/column_list_view.h"
#include "windows/section_window.h"

namespace pomix {

class TRecordRoutine;

class TABookForm : public TSectionWindow {
    Q_OBJECT
public:
    explicit TABookForm(StreamContainer& container, QWidget* parent = nullptr,
                        SectionLoad load = {});
    // The read of the section's file at the start of the process (storage/early_reads.h).
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    // The contacts as loaded at creation and kept up to date by the window's commands; the
    // debt book reads them to offer names.
    const AddressList& Contacts() const { return book_.Contacts; }
    AddressBook& Data() { return book_; }
    const SectionFile& File() const { return book_.File(); }
    bool DataFileUnread() const override { return book_.LoadFailed(); }

    // The category filter of the list: kAllCategories, kPersonalCategory or kBusinessCategory.
    int CurrentCategory = kAllCategories;

    void LoadAddressList();
    void SaveAddressList();
    void UpDateListBox(int category);
    void ShowAddress(const Contact& record);
    void ShowSelected();
    void Clear();
    void SelectCategory(int category);
    void ShowMainPage();
    void ShowNotesPage();
    void PickBirthDate();
    void LoadNotesFromFile();
    void SaveNotesToFile();
    void ShowBirthdays();
    void CloseBirthdays();
    void OpenEmail();
    void OpenWeb();
    // Other programs' address books: the contacts of a .vcf file added (the file dialog's, or
    // one dropped on the window), and every contact written to one.
    // The model's contacts came in or were replaced whole: shown afresh.
    void FollowModel(SectionModel::Change change);
    // The editor is open: a record may be half-typed.
    bool Editing() const { return !editPanel->isHidden(); }

    void ChooseImport();
    void ImportContacts(const std::string& path);
    void ExportContacts();

    // The tab bar and the command bar.
    TStaticButton* allTab;
    TStaticButton* businessTab;
    TStaticButton* personalTab;
    TButton* birthdaysButton;
    TButton* searchButton;
    TButton* editButton;
    TButton* addButton;
    TButton* deleteButton;
    // The contact list and its pop-up menu.
    TColumnListView* contactList;  // one column: the short names
    QMenu* contactMenu;
    QAction* editItem;
    QAction* addItem;
    QAction* searchItem;
    QAction* deleteItem;
    QAction* importItem;  // N5
    QAction* exportItem;  // N6
    // The details of the selected contact.
    TLabel* surnameLabel;
    TLabel* firstNameLabel;
    TLabel* patronymicLabel;
    TLabel* birthDateLabel;
    TLabel* ageLabel;
    TLabel* addressLabel;
    TLabel* phone1Label;
    TLabel* phone2Label;
    TLabel* emailLabel;
    TLabel* webLabel;
    TLabel* notesLabel;
    // The editor.
    TPanel* editPanel;
    TStaticButton* mainPageTab;
    TStaticButton* notesPageTab;
    TPanel* notesPage;
    TComboBox* categoryBox;
    TText* noCategoryText;  // what the category choice shows while neither is chosen
    TEdit* surnameEdit;
    TEdit* firstNameEdit;
    TEdit* patronymicEdit;
    TMaskEdit* birthDateEdit;
    TButton* pickDateButton;
    TEdit* addressEdit;
    TEdit* phone1Edit;
    TEdit* phone2Edit;
    TEdit* emailEdit;
    TEdit* webEdit;
    TMemo* notesMemo;
    TButton* loadNotesButton;
    TButton* saveNotesButton;
    TButton* saveButton;
    TButton* cancelButton;
    TButton* clearButton;
    // The search.
    TPanel* searchPanel;
    TEdit* searchEdit;
    TButton* findButton;
    TButton* clearResultsButton;
    TButton* clearSearchButton;
    TButton* closeSearchButton;
    // The coming birthdays.
    TPanel* birthdayPanel;
    TColumnListBox* birthdayList;
    TButton* closeBirthdaysButton;
    TText* todayText;  // the day count's word for today
    // What the memo's file commands tell when a file cannot be taken or written.
    TTextFileMessages* fileMessages;

    // Add, edit, delete and search, as every section runs them.
    TRecordRoutine* recordRoutine;

protected:
    void ReInit() override;
    void FormClose() override;
    SectionModel* Model() override { return &book_; }

private:
    // Shows both phones, the row parted by what each needs.
    void SharePhoneRow(const QString& first, const QString& second);
    QRect phoneRow_;
    // Sets the category choice (-1: neither).
    void ShowCategory(int position);
    void BuildMainView();
    void BuildDetails();
    void BuildEditor();
    void BuildSearch();
    void BuildBirthdays();
    // Add, edit, delete and search run as in every section (kit/record_routine.h).
    void BuildRoutine();
    // Stores the editor's contact; the row of its line, or nothing when the editor stays open.
    std::optional<int> SaveEditor();
    void FillList(ContactLines::Shared lines);
    // The contact of the selected line, or null with no selection (or a line whose contact
    // is gone).
    Contact* SelectedRecord();
    // The editor's texts as the record fields they edit.
    struct EditorTexts {
        std::string Surname, FirstName, Patronymic, Address, Tel1, Tel2, Email, URL;
        StrList Note;
    };
    EditorTexts ReadEditor() const;
    // The editor's texts into record; with shown, a field still as it was shown keeps the
    // record's stored value.
    void StoreTexts(Contact& record, const EditorTexts* shown) const;

    AddressBook book_;
    // The lines contactList shows, in its order: each reaches its contact by serial number.
    ContactLines::Shared shownLines_ = std::make_shared<const std::vector<ListLine>>();
    // What ShowAddress put into the editor: an edit keeps the stored value of every field left
    // as shown, so a stored value the editor cannot show as it is (a date outside the
    // calendar, a category byte other than 0, 1 and 255, a note of one empty line) survives
    // an edit of other fields.
    EditorTexts shownTexts_;
    std::string shownDateText_;
    int shownCategory_ = -1;
    // The line of the contact Edit opened.
    std::optional<ListLine> editedLine_;
};

}  // namespace pomix
