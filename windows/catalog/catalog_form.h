// TCatalogForm: the catalog section window. Six category tabs and the statistics button on
// top, the titles of the active category on the left, the selected entry on the right, the
// command bar below, and three panels laid over the window: the editor, the search and the
// per-category counts.
#pragma once

#include <QMenu>
#include <QRadioButton>
#include <QScrollArea>
#include <array>
#include <vector>

#include "core/catalog/catalog_model.h"
#include "storage/stream_container.h"
#include "kit/controls.h"
#include "kit/memo_file.h"
#include "windows/section_window.h"

namespace pomix {

class TRecordRoutine;

class TCatalogForm : public TSectionWindow {
    Q_OBJECT
public:
    explicit TCatalogForm(StreamContainer& container, QWidget* parent = nullptr,
                          SectionLoad load = {});
    // The read of the section's file at the start of the process (storage/early_reads.h).
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    const CatalogList& Entries() const { return catalog_.Entries(); }
    CatalogModel& Data() { return catalog_; }
    const SectionFile& File() const { return catalog_.File(); }
    bool DataFileUnread() const override { return catalog_.File().LoadFailed(); }
    SectionModel* Model() override { return &catalog_; }
    static constexpr int kFirstCategory = CatalogModel::kFirstCategory;
    int CurrentCategory = kFirstCategory;  // the active tab, 1 to 6

    void LoadCatalogList();
    void SaveCatalogList();
    // Lists the titles of one category; every line keeps a reference to its entry.
    void UpDateListBox(int category);
    void ShowCatalogNote(const TCatalogNote& entry);
    void Clear();
    void ReInit() override;

    void SelectCategory(int category);  // a category tab
    void ShowSelected();                // a click in the title list
    void ToggleStatistics();
    void HideStatistics();
    void LoadDescriptionFromFile();  // a text file, or the titles of a playlist
    void SaveDescriptionToFile();

    // The model's entries came in or were replaced whole: shown afresh.
    void FollowModel(SectionModel::Change change);

    // The entry of the selected title, or null with no selection.
    const TCatalogNote* SelectedEntry() const;

    // The main view.
    std::array<TStaticButton*, kCatalogCategories> categoryTabs;
    TButton* statisticsButton;
    TSortedListBox* titleList;
    TStaticButton* titleText;
    TLabel* descriptionText;
    TButton* searchButton;
    TButton* editButton;
    TButton* addButton;
    TButton* deleteButton;
    QMenu* titleMenu;
    QAction* addItem;
    QAction* editItem;
    QAction* searchItem;
    QAction* deleteItem;
    // The editor.
    TPanel* editPanel;
    TComboBox* categoryEdit;
    TEdit* nameEdit;
    TMemo* memoEdit;
    TButton* memoFromFileButton;
    TButton* memoToFileButton;
    TButton* saveButton;
    TButton* cancelButton;
    TButton* clearButton;
    // The search.
    TPanel* searchPanel;
    TEdit* searchEdit;
    QRadioButton* byNameChoice;
    QRadioButton* byDescriptionChoice;
    QRadioButton* everywhereChoice;
    TButton* findButton;
    TButton* clearResultsButton;
    TButton* clearSearchButton;
    TButton* closeSearchButton;
    // The counts.
    TPanel* statisticsPanel;
    std::array<TStaticButton*, kCatalogCategories> statisticsNames;
    std::array<TStaticButton*, kCatalogCategories> statisticsCounts;
    TButton* closeStatisticsButton;
    // What the memo's file commands tell when a file cannot be taken or written.
    TTextFileMessages* fileMessages;

    // Add, edit, delete and search, as every section runs them.
    TRecordRoutine* recordRoutine;

protected:
    void FormClose() override;
    SectionFile* DataFile() override { return &catalog_.File(); }

private:
    void BuildMainView();
    void BuildEditor();
    void BuildSearch();
    void BuildStatistics();
    // Add, edit, delete and search run as in every section (kit/record_routine.h).
    void BuildRoutine();
    // Stores the editor's entry; the row of its line, or nothing when the editor stays open.
    std::optional<int> SaveEditor();
    // Every line carries its entry's serial number, which survives deletes.
    void ShowLines(std::vector<ListLine> lines);
    void ShowCategoryNames();
    void CountEntries();
    // The entries changed: the active category listed afresh, the change marked, the counts
    // followed.
    void ListChanged();

    // The selected title's entry serial number, 0 with no selection.
    std::uint64_t SelectedSerial() const;

    CatalogModel catalog_;
};

}  // namespace pomix
