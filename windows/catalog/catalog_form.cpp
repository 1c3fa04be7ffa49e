#include "windows/catalog/catalog_form.h"

#include <QStyle>

#include "core/catalog/playlist.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "kit/accessibility.h"
#include "kit/convert.h"
#include "kit/file_dialog.h"
#include "kit/form_parts.h"
#include "kit/interface_language.h"
#include "kit/memo_file.h"
#include "kit/message.h"
#include "kit/recolour.h"
#include "kit/panel_cover.h"
#include "kit/record_routine.h"

namespace pomix {
namespace {

// The third filter of the open dialog: the description becomes the playlist's titles.
constexpr int kPlaylistFilter = 2;

const char* const kBuiltInCategories[kCatalogCategories] = {"Soft CD", "Music CD", "Video",
                                                            "Книги",   "Разное",   "Game CD"};

std::string Numbered(const char* prefix, int number) {
    return prefix + std::to_string(number);
}

}  // namespace

TCatalogForm::TCatalogForm(StreamContainer& container, QWidget* parent, SectionLoad load)
    : TSectionWindow(
          kRecolourCatalog, "CatalogForm",
          TTextFileMessages::WithItems(ExpandItems(
              {"PopupMenu1.AccessibleName", "Button1-13.Caption,Hint",
               "RadioButton1-3.Caption,Hint", "ListBox1.Hint", "ACategoryEdit.Hint",
               "AMemoEdit.Hint", "ANameEdit.Hint", "AFoundEdit.Hint", "Button14-15.Hint",
               "N1-4.Caption", "Text1-3.Caption", "Label1-4.Caption", "ListBox1.AccessibleName"})),
          parent, load),
      catalog_(container, DataDir() + kCatalogFileName) {
    setObjectName("CatalogForm");
    FileName = catalog_.File().Path();
    BuildMainView();
    BuildEditor();
    BuildSearch();
    BuildStatistics();
    BuildRoutine();
    // The editor keeps the entry it was opened on: the tabs, the list and its commands wait
    // under it until Save or Cancel.
    std::vector<QWidget*> covered(categoryTabs.begin(), categoryTabs.end());
    covered.insert(covered.end(), {statisticsButton, titleList, searchButton, editButton,
                                   addButton, deleteButton, searchPanel, statisticsPanel});
    CoverWhileShown(editPanel, std::move(covered));
    fileMessages = new TTextFileMessages(this);
    FollowEditor(editPanel);
    catalog_.Listen([this](SectionModel::Change change) { FollowModel(change); });
    binding_.BindDictionary();
    LoadData();
}

void TCatalogForm::BuildMainView() {
    for (int i = 0; i < kCatalogCategories; ++i) {
        TStaticButton* tab = Make<TStaticButton>(this, Numbered("StaticText", i + 1).c_str(),
                                                 {4 + i * 80, 4, 78, 20}, U(kBuiltInCategories[i]));
        tab->Tag = i + 1;
        tab->SetBorder(i == 0);
        connect(tab, &TStaticButton::clicked, this, [this, tab] { SelectCategory(tab->Tag); });
        categoryTabs[i] = tab;
    }
    GroupAsTabs({categoryTabs.begin(), categoryTabs.end()});
    statisticsButton = MakeButton(this, "Button5", {486, 4, 24, 20}, "?", "Статистика");

    titleList = Make<TSortedListBox>(this, "ListBox1", {4, 28, 182, 298});
    titleList->setToolTip(U("Список записей"));
    titleList->setAccessibleName(U("Список записей"));
    titleText = Make<TStaticButton>(this, "AName", {190, 28, 320, 20}, QString());

    // A long description scrolls instead of being cut off.
    auto* scroll = Make<QScrollArea>(this, "ScrollBox1", {190, 52, 320, 274});
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    descriptionText = new TLabel(QString(), scroll);
    descriptionText->setObjectName("AMemo");
    descriptionText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    descriptionText->setWordWrap(true);
    descriptionText->setTextFormat(Qt::PlainText);
    descriptionText->setAutoFillBackground(true);
    scroll->setWidget(descriptionText);

    searchButton = MakeButton(this, "Button4", {4, 332, 120, 24}, "Поиск", "Поиск по записям");
    editButton = MakeButton(this, "Button3", {130, 332, 120, 24}, "Редактировать",
                            "Редактировать текущую запись");
    addButton =
        MakeButton(this, "Button2", {256, 332, 120, 24}, "Добавить", "Добавить новую запись");
    deleteButton =
        MakeButton(this, "Button1", {382, 332, 128, 24}, "Удалить", "Удалить текущую запись");

    titleMenu = MakePopupMenu(this, "PopupMenu1", titleList, "Меню каталога");
    addItem = AddMenuItem(titleMenu, "N1", "Добавить");
    editItem = AddMenuItem(titleMenu, "N2", "Редактировать");
    searchItem = AddMenuItem(titleMenu, "N4", "Поиск");
    deleteItem = AddMenuItem(titleMenu, "N3", "Удалить");

    connect(titleList, &TSortedListBox::currentRowChanged, this, &TCatalogForm::ShowSelected);
    connect(statisticsButton, &QPushButton::clicked, this, &TCatalogForm::ToggleStatistics);
}

void TCatalogForm::BuildEditor() {
    // Below the tabs, which show (covered) while the editor is open.
    editPanel = Make<TPanel>(this, "Panel6", {0, 26, kWidth, kHeight - 26});
    Make<TStaticButton>(editPanel, "Text2", {4, 2, 506, 20}, U("Редактировать - Добавить"));
    auto* categoryLabel = Make<TLabel>(editPanel, "Label1", {8, 28, 80, 20}, U("Категория"));
    categoryEdit = Make<TComboBox>(editPanel, "ACategoryEdit", {90, 28, 220, 22});
    categoryLabel->setBuddy(categoryEdit);
    categoryEdit->setToolTip(U("Категории записей в каталоге"));
    QStringList builtIn;
    for (const char* name : kBuiltInCategories) builtIn << U(name);
    categoryEdit->addItems(builtIn);
    auto* nameLabel = Make<TLabel>(editPanel, "Label2", {8, 56, 80, 20}, U("Название"));
    nameEdit = Make<TEdit>(editPanel, "ANameEdit", {90, 56, 416, 22});
    nameLabel->setBuddy(nameEdit);
    nameEdit->setToolTip(U("Название записи"));
    auto* memoLabel = Make<TLabel>(editPanel, "Label3", {8, 84, 80, 20}, U("Описание"));
    memoFromFileButton = MakeButton(editPanel, "Button14", {446, 82, 28, 24}, "",
                                    "Описание из файла или списка воспроизведения");
    memoFromFileButton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    memoToFileButton =
        MakeButton(editPanel, "Button15", {478, 82, 28, 24}, "", "Сохранить описание в файл");
    memoToFileButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    memoEdit = Make<TMemo>(editPanel, "AMemoEdit", {8, 108, 498, 192});
    memoLabel->setBuddy(memoEdit);
    memoEdit->setToolTip(U("Примечание, описание записи"));
    memoEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cancelButton =
        MakeButton(editPanel, "Button13", {8, 306, 160, 24}, "Отмена", "Отменить изменения");
    clearButton = MakeButton(editPanel, "Button12", {177, 306, 160, 24}, "Очистить",
                             "Очистить поля редактирования");
    saveButton =
        MakeButton(editPanel, "Button11", {346, 306, 160, 24}, "Сохранить", "Сохранить изменения");
    editPanel->hide();
    CoverWhatLiesUnder(editPanel);
    SetReadingTabOrder(editPanel);

    connect(clearButton, &QPushButton::clicked, this, &TCatalogForm::Clear);
    connect(memoFromFileButton, &QPushButton::clicked, this,
            &TCatalogForm::LoadDescriptionFromFile);
    connect(memoToFileButton, &QPushButton::clicked, this, &TCatalogForm::SaveDescriptionToFile);
}

void TCatalogForm::BuildSearch() {
    // Over the display side only, so that the results and the commands on them stay in reach.
    searchPanel = Make<TPanel>(this, "Panel7", {188, 26, 326, 302});
    Make<TStaticButton>(searchPanel, "Text3", {2, 2, 320, 20}, U("Поиск"));
    auto* searchLabel = Make<TLabel>(searchPanel, "Label4", {8, 32, 60, 20}, U("Текст"));
    searchEdit = Make<TEdit>(searchPanel, "AFoundEdit", {70, 30, 248, 22});
    searchLabel->setBuddy(searchEdit);
    searchEdit->setToolTip(U("Текст для поиска"));
    byNameChoice =
        Make<QRadioButton>(searchPanel, "RadioButton1", {70, 60, 240, 20}, U("По названию"));
    byDescriptionChoice =
        Make<QRadioButton>(searchPanel, "RadioButton2", {70, 82, 240, 20}, U("По описанию"));
    everywhereChoice =
        Make<QRadioButton>(searchPanel, "RadioButton3", {70, 104, 240, 20}, U("Везде"));
    for (QRadioButton* choice : {byNameChoice, byDescriptionChoice, everywhereChoice}) {
        choice->setToolTip(U("Выберите тип поиска"));
    }
    byNameChoice->setChecked(true);
    clearResultsButton = MakeButton(searchPanel, "Button10", {8, 240, 310, 24},
                                    "Очистить результаты", "Очистить поля редактирования");
    clearSearchButton = MakeButton(searchPanel, "Button9", {8, 270, 100, 24}, "Очистить",
                                   "Очистить поля редактирования");
    closeSearchButton =
        MakeButton(searchPanel, "Button8", {113, 270, 100, 24}, "Закрыть", "Закрыть окно поиска");
    findButton =
        MakeButton(searchPanel, "Button7", {218, 270, 100, 24}, "Поиск", "Искать текст в записях");
    searchPanel->hide();
    CoverWhatLiesUnder(searchPanel);
}

void TCatalogForm::BuildRoutine() {
    TRecordRoutine::Steps steps;
    steps.selected = [this] { return SelectedEntry() != nullptr; };
    steps.fill = [this](bool adding) {
        if (adding) {
            Clear();
            categoryEdit->setCurrentIndex(CategoryPosition(CurrentCategory));
        } else {
            // The editor may still hold what an add left in it (an add that was cancelled):
            // the selected entry is what gets edited, so it is what the editor shows.
            ShowCatalogNote(*SelectedEntry());
        }
    };
    steps.save = [this] { return SaveEditor(); };
    steps.remove = [this](int asked) {
        catalog_.Delete(SelectedSerial());
        ListChanged();
        return asked;
    };
    steps.find = [this](const std::string& pattern, int choice) {
        constexpr CatalogSearch kScopes[] = {CatalogSearch::ByName, CatalogSearch::ByMemo,
                                             CatalogSearch::Everywhere};
        ShowLines(catalog_.Found(pattern, kScopes[choice]));
    };
    steps.showAll = [this] { UpDateListBox(CurrentCategory); };
    TRecordRoutine::Parts parts = TRecordRoutine::PartsOf(this, editPanel, categoryEdit, &AddMode);
    parts.searchPanel.choices = {byNameChoice, byDescriptionChoice, everywhereChoice};
    recordRoutine = new TRecordRoutine(this, titleList, parts, std::move(steps));
}

void TCatalogForm::BuildStatistics() {
    statisticsPanel = Make<TPanel>(this, "Panel4", {188, 26, 326, 302});
    Make<TStaticButton>(statisticsPanel, "Text1", {2, 2, 320, 20}, U("Статистика"));
    for (int i = 0; i < kCatalogCategories; ++i) {
        const int y = 32 + i * 28;
        statisticsNames[i] =
            Make<TStaticButton>(statisticsPanel, Numbered("StaticText", 14 + i).c_str(),
                                {8, y, 220, 22}, "  " + U(kBuiltInCategories[i]));
        statisticsNames[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        statisticsCounts[i] = Make<TStaticButton>(
            statisticsPanel, Numbered("StaticText", 7 + i).c_str(), {232, y, 86, 22}, "0");
    }
    closeStatisticsButton =
        MakeButton(statisticsPanel, "Button6", {218, 270, 100, 24}, "Да", "Закрыть статистику");
    statisticsPanel->hide();
    CoverWhatLiesUnder(statisticsPanel);

    connect(closeStatisticsButton, &QPushButton::clicked, this, &TCatalogForm::HideStatistics);
}

void TCatalogForm::LoadCatalogList() { catalog_.LoadNow(); }

EarlyRead TCatalogForm::EarlyReadIn(const std::string& dataDir) {
    return CatalogModel::EarlyReadIn(dataDir);
}

void TCatalogForm::SaveCatalogList() {
    catalog_.Save();
    Modified = false;
}

void TCatalogForm::FormClose() {
    SaveCatalogList();
}

void TCatalogForm::FollowModel(SectionModel::Change change) {
    // Records read anew (a copy put back) leave nothing for an open editor to save.
    if (change == SectionModel::Change::Loaded) editPanel->hide();
    Modified = catalog_.Modified();
    UpDateListBox(CurrentCategory);
    if (statisticsPanel->isVisibleTo(this)) CountEntries();
}

void TCatalogForm::UpDateListBox(int category) {
    ShowLines(catalog_.Lines(category));
}

void TCatalogForm::ShowLines(std::vector<ListLine> lines) {
    // The core's lines come sorted, in the list's own order.
    titleList->SetSortedItems(TSortedListBox::OfRecords(std::move(lines)));
    titleList->setCurrentRow(-1);
}

std::uint64_t TCatalogForm::SelectedSerial() const {
    const int row = titleList->currentRow();
    return row < 0 ? 0 : titleList->Object(row);
}

const TCatalogNote* TCatalogForm::SelectedEntry() const {
    return catalog_.Entries().BySerial(SelectedSerial());
}

void TCatalogForm::ShowSelected() {
    if (const TCatalogNote* entry = SelectedEntry()) ShowCatalogNote(*entry);
}

void TCatalogForm::ShowCatalogNote(const TCatalogNote& entry) {
    nameEdit->SetText(entry.Name);
    memoEdit->SetLines(entry.Memo);
    // An entry stored outside the six categories shows no category rather than a wrong one.
    categoryEdit->setCurrentIndex(CategoryPosition(entry.Category));
    titleText->SetElidedText(ToQt(entry.Name));
    descriptionText->setText(ToQt(entry.Memo).join('\n'));
}

void TCatalogForm::Clear() {
    nameEdit->clear();
    memoEdit->clear();
    titleText->SetElidedText(QString());
    descriptionText->clear();
}

void TCatalogForm::SelectCategory(int category) {
    for (TStaticButton* tab : categoryTabs) tab->SetBorder(tab->Tag == category);
    CurrentCategory = category;
    Clear();
    UpDateListBox(CurrentCategory);
}

std::optional<int> TCatalogForm::SaveEditor() {
    const int position = categoryEdit->currentIndex();
    if (position < 0 || position >= kCatalogCategories) {
        ShowError(MessageString("SelectCategory"));
        return std::nullopt;
    }
    const std::int32_t category = position + 1;
    std::uint64_t saved = 0;
    if (AddMode) {
        saved = catalog_.Add(category, nameEdit->Text(), memoEdit->Lines());
    } else {
        // With no selected line (the tab was changed under the open editor) there is no entry
        // to change; the editor stays open with what was typed.
        saved = SelectedSerial();
        if (!catalog_.Change(saved, category, nameEdit->Text(), memoEdit->Lines())) {
            return std::nullopt;
        }
    }
    ListChanged();
    return titleList->RowOf(saved);
}

void TCatalogForm::ListChanged() {
    UpDateListBox(CurrentCategory);
    Clear();
    MarkChanged();
    if (statisticsPanel->isVisibleTo(this)) CountEntries();
}

void TCatalogForm::ToggleStatistics() {
    statisticsPanel->setVisible(!statisticsPanel->isVisibleTo(this));
    statisticsPanel->raise();
    CountEntries();
}

void TCatalogForm::HideStatistics() {
    statisticsPanel->hide();
    FocusLine(titleList, titleList->currentRow());
}

void TCatalogForm::CountEntries() {
    const auto counts = catalog_.Counts();
    for (int i = 0; i < kCatalogCategories; ++i) {
        statisticsCounts[i]->setText(InterfaceLocale().toString(qlonglong(counts[i])));
    }
}

void TCatalogForm::LoadDescriptionFromFile() {
    const ChosenFile chosen =
        ChooseFile(this, FileDialogKind::Open, FilePurpose::Text, TextFileFilter() + QLatin1Char('|') + MessageString("FilterPlaylists") + QStringLiteral("|*.m3u"));
    if (chosen.Path.empty()) return;
    try {
        memoEdit->SetLines(DescriptionFromFile(
            chosen.Path, DescriptionSourceFor(chosen.Path, chosen.Filter == kPlaylistFilter)));
    } catch (const std::exception& e) {
        ShowError(fileMessages->ReadError(chosen.Path, e));
    }
}

void TCatalogForm::SaveDescriptionToFile() {
    SaveMemoToTextFile(this, memoEdit, *fileMessages);
}

void TCatalogForm::ShowCategoryNames() {
    // The refill keeps the position chosen, so an open editor's entry stays in its category.
    const auto& names = SettingsRecord.CategoryNames;
    categoryEdit->SetItems(StrList(names.begin(), names.end()));
    for (int i = 0; i < kCatalogCategories; ++i) {
        categoryTabs[i]->setText(ToQt(names[i]));
        statisticsNames[i]->setText("  " + ToQt(names[i]));
    }
}

void TCatalogForm::ReInit() {
    binding_.ApplyColours([this] {
        ShowCategoryNames();
        for (TButton* picture : {memoFromFileButton, memoToFileButton}) {
            SetColours(picture, ToQColor(SettingsRecord.WindowColor),
                       ToQColor(SettingsRecord.ButtonTextColor));
        }
    });
}

}  // namespace pomix
