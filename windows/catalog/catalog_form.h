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

#include "core/catalog/catalog.h"
#include "storage/section_file.h"
#include "storage/stream_container.h"
#include "kit/controls.h"
#include "kit/memo_file.h"
#include "windows/section_window.h"

namespace pomix {

class TCatalogForm : public TSectionWindow {
    Q_OBJECT
public:
    explicit TCatalogForm(StreamContainer& container, QWidget* parent = nullptr);
    // The read of the section's file at the start of the process (storage/early_reads.h).
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    CatalogList& Entries() { return CatalogList_; }
    const SectionFile& File() const { return file_; }
    bool DataFileUnread() const override { return file_.LoadFailed(); }
    static constexpr int kFirstCategory = 1;
    int CurrentCategory = kFirstCategory;  // the active tab, 1 to 6

    void LoadCatalogList();
    void SaveCatalogList();
    // Lists the titles of one category; every line keeps a reference to its entry.
    void UpDateListBox(int category);
    void ShowCatalogNote(const TCatalogNote& entry);
    void Add();
    void Edit();
    void Delete();
    void Clear();
    void FoundRecord();
    void ReInit() override;

    void SelectCategory(int category);  // a category tab
    void ShowSelected();                // a click in the title list
    void SaveEditor();
    void CancelEditor();
    void ToggleStatistics();
    void HideStatistics();
    void OpenSearch();
    void CloseSearch();
    void ClearSearchText();
    void ClearSearchResults();       // the active category's titles again
    void LoadDescriptionFromFile();  // a text file, or the titles of a playlist
    void SaveDescriptionToFile();

    // The entry of the selected title, or null with no selection.
    TCatalogNote* SelectedEntry();

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

protected:
    void FormClose() override;
    std::optional<LoadWork> MakeLoad() override;
    std::shared_ptr<FileImage> TakeImage() override;
    SectionFile* DataFile() override { return &file_; }

private:
    void BuildMainView();
    void BuildEditor();
    void BuildSearch();
    void BuildStatistics();
    // Every line carries its entry's serial number, which survives deletes.
    void ShowLines(const std::vector<ListLine>& lines);
    void ShowCategoryNames();
    void CountEntries();
    void ListChanged();

    SectionFile file_;
    CatalogList CatalogList_;
};

}  // namespace pomix
