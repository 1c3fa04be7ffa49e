// The catalog window driven headless through its controls: the tabs, the editor, the search,
// the counts, the description files, and the entries shown afresh when the file is read again.
#include <QTest>
#include <climits>
#include <filesystem>
#include <set>

#include "windows/catalog/catalog_form.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"
#include "storage/text_file.h"
#include "kit/convert.h"
#include "kit/file_dialog.h"
#include "kit/form_binding.h"
#include "kit/message.h"

using namespace pomix;

namespace {

std::string W(const char* utf8) {
    return Utf8ToCp1251(utf8);
}

using Titles = std::multiset<std::string>;

Titles ShownTitles(TCatalogForm& form) {
    Titles titles;
    for (int row = 0; row < form.titleList->count(); ++row)
        titles.insert(form.titleList->Line(row));
    return titles;
}

int RowOf(TCatalogForm& form, const std::string& title, int nth = 0) {
    for (int row = 0; row < form.titleList->count(); ++row) {
        if (form.titleList->Line(row) == title && nth-- == 0) return row;
    }
    return -1;
}

void Select(TCatalogForm& form, const std::string& title, int nth = 0) {
    const int row = RowOf(form, title, nth);
    QVERIFY2(row >= 0, title.c_str());
    form.titleList->setCurrentRow(row);
}

void ClickTab(TCatalogForm& form, int category) {
    QTest::mouseClick(form.categoryTabs[category - 1], Qt::LeftButton);
}

std::array<QString, 6> Counts(TCatalogForm& form) {
    std::array<QString, 6> counts;
    for (int i = 0; i < 6; ++i) counts[i] = form.statisticsCounts[i]->text();
    return counts;
}

}  // namespace

class CatalogFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void addUnderEachTabPreselectsItsCategory();
    void entryMovedToAnotherCategoryLeavesTheVisibleList();
    void editAfterACancelledAddShowsTheSelectedEntry();
    void saveWithoutACategoryAsksAndKeepsTheEditorOpen();
    void editorKeepsTheEntryItWasOpenedOn();
    void deleteRemovesTheEntryAndMarksAChange();
    void searchWithItsThreeChoicesOverEveryCategory();
    void searchResultsCanBeEditedAndDeleted();
    void countsCoverTheSixCategoriesAndFollowChanges();
    void entriesOutsideTheSixCategoriesStayAsStored();
    void renamedCategoriesReachTabsDropDownAndCounts();
    void descriptionToATextFileAndBack();
    void playlistFilterTakesTheTitles();
    void aPlaylistByNameUnderAnyFilterAndOtherFilesLineByLine();
    void unreadableOrOversizedFilesLeaveTheDescription();
    void closeWritesOnlyAfterAChange();
    void readAgainShowsTheFileAndClosesTheEditor();
    void dictionaryTableHoldsTheBuiltInTexts();

private:
    std::unique_ptr<TCatalogForm> Open();
    void AddEntry(TCatalogForm& form, const std::string& name, const StrList& memo,
                  int position = -2);
    void WriteCatalog(const std::vector<TCatalogNote>& entries);
    std::string CatalogPath() const { return folder_->File("Data/Catalog.dat"); }

    std::unique_ptr<testing::ScratchDir> folder_;
    StreamContainer container_;
    std::vector<QString> messages_;
    std::string chosenFile_;
    int chosenFilter_ = 0;  // 0 all files, 1 text files, 2 WinAmp playlists
    std::vector<std::pair<FileDialogKind, QString>> filters_;
};

void CatalogFormTest::init() {
    folder_ = std::make_unique<testing::ScratchDir>();
    std::filesystem::create_directories(folder_->File("Data"));
    SetProgramDir(folder_->Path());
    SettingsRecord = TSettingsRecord{};
    SettingsRecord.ConfirmDelete = true;
    SettingsRecord.CategoryNames = {"Soft CD",  "Music CD",  "Video",
                                    W("Книги"), W("Разное"), "Game CD"};
    messages_.clear();
    chosenFile_.clear();
    chosenFilter_ = 0;
    filters_.clear();
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_.push_back(text);
        return MessageAnswer::Yes;
    });
    SetFileChooser([this](FileDialogKind kind, const QString& filter, const QString&) {
        filters_.push_back({kind, filter});
        return ChosenFile(chosenFile_, chosenFilter_);
    });
}

void CatalogFormTest::cleanup() {
    SetMessagePresenter({});
    SetFileChooser({});
    folder_.reset();
}

std::unique_ptr<TCatalogForm> CatalogFormTest::Open() {
    return std::make_unique<TCatalogForm>(container_);
}

// position: the drop-down choice to save with; -2 keeps the one Add preselected.
void CatalogFormTest::AddEntry(TCatalogForm& form, const std::string& name, const StrList& memo,
                               int position) {
    QTest::mouseClick(form.addButton, Qt::LeftButton);
    QVERIFY(form.editPanel->isVisibleTo(&form));
    QVERIFY(form.AddMode);
    if (position != -2) form.categoryEdit->setCurrentIndex(position);
    form.nameEdit->SetText(name);
    form.memoEdit->SetLines(memo);
    QTest::mouseClick(form.saveButton, Qt::LeftButton);
    QVERIFY(!form.editPanel->isVisibleTo(&form));
}

void CatalogFormTest::WriteCatalog(const std::vector<TCatalogNote>& entries) {
    CatalogList list;
    for (const TCatalogNote& entry : entries) list.Add(entry);
    SectionFile file(container_, CatalogPath(), kCatalogStreamName);
    pomix::SaveCatalogList(file, list, true);
}

void CatalogFormTest::addUnderEachTabPreselectsItsCategory() {
    auto form = Open();
    QCOMPARE(form->CurrentCategory, 1);
    QVERIFY(form->categoryTabs[0]->HasBorder());
    for (int category = 1; category <= 6; ++category) {
        ClickTab(*form, category);
        QCOMPARE(form->CurrentCategory, category);
        for (int i = 0; i < 6; ++i) QCOMPARE(form->categoryTabs[i]->HasBorder(), i == category - 1);
        QTest::mouseClick(form->addButton, Qt::LeftButton);
        QCOMPARE(form->categoryEdit->currentIndex(), category - 1);
        QTest::mouseClick(form->cancelButton, Qt::LeftButton);
        AddEntry(*form, "disc " + std::to_string(category), {"about"});
        QCOMPARE(ShownTitles(*form), Titles{"disc " + std::to_string(category)});
    }
    QVERIFY(form->HasChanges());
    // The entry saved last is selected, and the editor holds it as it holds any selected entry.
    QCOMPARE(form->titleList->currentRow(), 0);
    QCOMPARE(form->nameEdit->Text(), std::string("disc 6"));

    ClickTab(*form, 4);
    QCOMPARE(ShownTitles(*form), Titles{"disc 4"});
    Select(*form, "disc 4");
    QCOMPARE(form->titleText->text(), QString("disc 4"));
    QCOMPARE(form->descriptionText->text(), QString("about"));
}

void CatalogFormTest::entryMovedToAnotherCategoryLeavesTheVisibleList() {
    auto form = Open();
    AddEntry(*form, "Album", {W("трек 1"), W("трек 2")});
    AddEntry(*form, "Other", {});
    Select(*form, "Album");
    QCOMPARE(form->descriptionText->text(), QString::fromUtf8("трек 1\nтрек 2"));
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    QVERIFY(!form->AddMode);
    QCOMPARE(form->categoryEdit->currentIndex(), 0);
    form->categoryEdit->setCurrentIndex(2);
    form->nameEdit->SetText("Album (live)");
    QTest::mouseClick(form->saveButton, Qt::LeftButton);

    QCOMPARE(ShownTitles(*form), Titles{"Other"});
    ClickTab(*form, 3);
    QCOMPARE(ShownTitles(*form), Titles{"Album (live)"});
}

void CatalogFormTest::editAfterACancelledAddShowsTheSelectedEntry() {
    auto form = Open();
    AddEntry(*form, "Kept", {"its", "lines"});
    ClickTab(*form, 2);
    AddEntry(*form, "Second", {});  // the editor's category is now the second
    ClickTab(*form, 1);
    Select(*form, "Kept");
    QTest::mouseClick(form->addButton, Qt::LeftButton);  // empties the editor
    QTest::mouseClick(form->cancelButton, Qt::LeftButton);
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    QCOMPARE(form->nameEdit->Text(), std::string("Kept"));
    QCOMPARE(form->memoEdit->Lines(), (StrList{"its", "lines"}));
    QCOMPARE(form->categoryEdit->currentIndex(), 0);
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Entries()[0].Name, std::string("Kept"));
    QCOMPARE(form->Entries()[0].Memo, (StrList{"its", "lines"}));
    QCOMPARE(form->Entries()[0].Category, 1);

    // A double click edits the same way; Edit with nothing selected opens nothing.
    Select(*form, "Kept");
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    QTest::mouseClick(form->cancelButton, Qt::LeftButton);
    emit form->titleList->rowDoubleClicked(form->titleList->currentRow());
    QVERIFY(form->editPanel->isVisibleTo(form.get()));
    QCOMPARE(form->nameEdit->Text(), std::string("Kept"));
    QTest::mouseClick(form->cancelButton, Qt::LeftButton);
    form->titleList->setCurrentRow(-1);
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    QVERIFY(!form->editPanel->isVisibleTo(form.get()));
}

void CatalogFormTest::saveWithoutACategoryAsksAndKeepsTheEditorOpen() {
    auto form = Open();
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    form->categoryEdit->setCurrentIndex(-1);
    form->nameEdit->SetText("typed");
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(messages_.size(), std::size_t(1));
    QCOMPARE(messages_[0], MessageString("SelectCategory"));
    QVERIFY(form->editPanel->isVisibleTo(form.get()));
    QVERIFY(form->Entries().Empty());
    QVERIFY(!form->HasChanges());
    QCOMPARE(form->nameEdit->Text(), std::string("typed"));

    form->categoryEdit->setCurrentIndex(5);
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Entries().Count(), std::size_t(1));
    QCOMPARE(form->Entries()[0].Category, 6);
    QCOMPARE(form->titleList->count(), 0);  // saved under another tab than the active one
}

void CatalogFormTest::editorKeepsTheEntryItWasOpenedOn() {
    auto form = Open();
    AddEntry(*form, "First", {"one"});
    AddEntry(*form, "Second", {"two"});
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    Select(*form, "First");
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    form->nameEdit->SetText("typed");
    // The tabs above the editor, the list and Delete under it: none answers until Save.
    ClickTab(*form, 2);
    const QPoint other = form->titleList->RowRect(1).center();
    QTest::mouseClick(form->titleList->viewport(), Qt::LeftButton, {}, other);
    QTest::mouseClick(form->deleteButton, Qt::LeftButton);
    QVERIFY(form->categoryTabs[0]->HasBorder());
    QCOMPARE(form->nameEdit->Text(), std::string("typed"));
    QVERIFY(messages_.empty());
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Entries()[0].Name, std::string("typed"));
    QCOMPARE(form->Entries()[1].Name, std::string("Second"));
    QVERIFY(form->titleList->isEnabled() && form->categoryTabs[1]->isEnabled());
}

void CatalogFormTest::deleteRemovesTheEntryAndMarksAChange() {
    auto form = Open();
    AddEntry(*form, "a", {});
    AddEntry(*form, "b", {});
    Select(*form, "a");
    form->Data().ClearChanged();
    QTest::mouseClick(form->deleteButton, Qt::LeftButton);
    QCOMPARE(form->Entries().Count(), std::size_t(1));
    QCOMPARE(form->Entries()[0].Name, std::string("b"));
    QCOMPARE(ShownTitles(*form), Titles{"b"});
    QVERIFY(form->HasChanges());
}

void CatalogFormTest::searchWithItsThreeChoicesOverEveryCategory() {
    auto form = Open();
    AddEntry(*form, "Abba Gold", {"Dancing Queen"});
    ClickTab(*form, 3);
    AddEntry(*form, "abba live", {"video"});
    ClickTab(*form, 5);
    AddEntry(*form, "Queen", {"Bohemian"});
    QTest::mouseClick(form->searchButton, Qt::LeftButton);
    QVERIFY(form->searchPanel->isVisibleTo(form.get()));
    QVERIFY(form->byNameChoice->isChecked());

    const auto found = [&](QRadioButton* choice, const char* pattern) {
        choice->setChecked(true);
        form->searchEdit->SetText(pattern);
        QTest::mouseClick(form->findButton, Qt::LeftButton);
        return ShownTitles(*form);
    };
    QCOMPARE(found(form->byNameChoice, "ABBA*"), (Titles{"Abba Gold", "abba live"}));
    QCOMPARE(found(form->byDescriptionChoice, "*queen*"), Titles{"Abba Gold"});
    QCOMPARE(found(form->everywhereChoice, "*queen*"), (Titles{"Abba Gold", "Queen"}));

    // "Очистить результаты" shows the tab.
    QTest::mouseClick(form->clearResultsButton, Qt::LeftButton);
    QCOMPARE(ShownTitles(*form), Titles{"Queen"});
}

void CatalogFormTest::searchResultsCanBeEditedAndDeleted() {
    auto form = Open();
    AddEntry(*form, "alpha", {"1"});
    ClickTab(*form, 2);
    AddEntry(*form, "beta", {"2"});
    AddEntry(*form, "gamma", {"3"});
    ClickTab(*form, 1);
    form->searchEdit->SetText("gamma");
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    QCOMPARE(ShownTitles(*form), Titles{"gamma"});
    Select(*form, "gamma");
    QCOMPARE(form->categoryEdit->currentIndex(), 1);
    form->editItem->trigger();  // the pop-up menu's "Редактировать"
    form->memoEdit->SetLines({"changed"});
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Entries()[2].Memo, StrList{"changed"});
    QCOMPARE(form->Entries()[2].Category, 2);
    QCOMPARE(form->Entries()[1].Memo, StrList{"2"});
    QCOMPARE(ShownTitles(*form), Titles{"alpha"});  // the active tab again

    form->searchEdit->SetText("beta");
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    Select(*form, "beta");
    SettingsRecord.ConfirmDelete = false;
    QTest::mouseClick(form->deleteButton, Qt::LeftButton);
    QCOMPARE(form->Entries().Count(), std::size_t(2));
    QCOMPARE(form->Entries()[0].Name, std::string("alpha"));
    QCOMPARE(form->Entries()[1].Name, std::string("gamma"));
}

void CatalogFormTest::countsCoverTheSixCategoriesAndFollowChanges() {
    WriteCatalog({TCatalogNote(1, "a", {}), TCatalogNote(1, "b", {}), TCatalogNote(4, "c", {}),
                  TCatalogNote(6, "d", {}), TCatalogNote(0, "zero", {}),
                  TCatalogNote(7, "seven", {})});
    auto form = Open();
    QCOMPARE(form->Entries().Count(), std::size_t(6));
    ClickTab(*form, 3);  // the counts do not depend on the active tab
    QTest::mouseClick(form->statisticsButton, Qt::LeftButton);
    QVERIFY(form->statisticsPanel->isVisibleTo(form.get()));
    QCOMPARE(Counts(*form), (std::array<QString, 6>{"2", "0", "0", "1", "0", "1"}));

    AddEntry(*form, "new", {});
    QCOMPARE(Counts(*form), (std::array<QString, 6>{"2", "0", "1", "1", "0", "1"}));
    ClickTab(*form, 1);
    Select(*form, "a");
    SettingsRecord.ConfirmDelete = false;
    QTest::mouseClick(form->deleteButton, Qt::LeftButton);
    QCOMPARE(Counts(*form), (std::array<QString, 6>{"1", "0", "1", "1", "0", "1"}));

    QTest::mouseClick(form->statisticsButton, Qt::LeftButton);  // a second press hides
    QVERIFY(!form->statisticsPanel->isVisibleTo(form.get()));
    QTest::mouseClick(form->statisticsButton, Qt::LeftButton);
    QTest::mouseClick(form->closeStatisticsButton, Qt::LeftButton);
    QVERIFY(!form->statisticsPanel->isVisibleTo(form.get()));
}

void CatalogFormTest::entriesOutsideTheSixCategoriesStayAsStored() {
    WriteCatalog({TCatalogNote(0, "zero", {"z"}), TCatalogNote(7, "seven", {}),
                  TCatalogNote(INT32_MIN, "smallest", {}), TCatalogNote(2, "two", {})});
    const std::string before = testing::FileContents(CatalogPath());
    auto form = Open();
    for (int category = 1; category <= 6; ++category) {
        ClickTab(*form, category);
        QCOMPARE(ShownTitles(*form), category == 2 ? Titles{"two"} : Titles{});
    }
    form->searchEdit->SetText("*");
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    QCOMPARE(ShownTitles(*form), (Titles{"zero", "seven", "smallest", "two"}));

    for (const char* title : {"smallest", "zero"}) {
        Select(*form, title);
        QCOMPARE(form->categoryEdit->currentIndex(), -1);  // no category, not a wrong one
        QTest::mouseClick(form->editButton, Qt::LeftButton);
        QTest::mouseClick(form->saveButton, Qt::LeftButton);
        QVERIFY(form->editPanel->isVisibleTo(form.get()));
        QTest::mouseClick(form->cancelButton, Qt::LeftButton);
    }
    QCOMPARE(messages_.size(), std::size_t(2));
    QCOMPARE(messages_[1], MessageString("SelectCategory"));
    QCOMPARE(form->Entries()[0].Category, 0);
    QCOMPARE(form->Entries()[2].Category, INT32_MIN);
    QVERIFY(!form->HasChanges());
    form->CloseForm();
    QCOMPARE(testing::FileContents(CatalogPath()), before);
}

void CatalogFormTest::renamedCategoriesReachTabsDropDownAndCounts() {
    WriteCatalog({TCatalogNote(4, "book", {})});
    auto form = Open();
    RecolourPending[kRecolourCatalog] = 1;
    form->ReInit();
    QCOMPARE(form->categoryTabs[3]->text(), QString::fromUtf8("Книги"));
    ClickTab(*form, 4);
    Select(*form, "book");
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    QCOMPARE(form->categoryEdit->currentIndex(), 3);

    SettingsRecord.CategoryNames = {"Programs", "Music", "Films", "Books", "Misc", "Games"};
    form->ReInit();  // not pending: the names wait for the next apply
    QCOMPARE(form->categoryTabs[3]->text(), QString::fromUtf8("Книги"));
    RecolourPending[kRecolourCatalog] = 1;
    form->ReInit();
    QCOMPARE(RecolourPending[kRecolourCatalog], std::uint8_t(0));
    const QStringList names = {"Programs", "Music", "Films", "Books", "Misc", "Games"};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(form->categoryTabs[i]->text(), names[i]);
        QCOMPARE(form->categoryEdit->itemText(i), names[i]);
        QCOMPARE(form->statisticsNames[i]->text(), "  " + names[i]);
    }
    QCOMPARE(form->categoryEdit->count(), 6);
    QCOMPARE(form->categoryEdit->currentIndex(), 3);  // the open editor keeps its choice
    QVERIFY(form->categoryTabs[3]->HasBorder());
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Entries()[0].Category, 4);
    QCOMPARE(ShownTitles(*form), Titles{"book"});
}

void CatalogFormTest::descriptionToATextFileAndBack() {
    auto form = Open();
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    const StrList lines = {W("Первая строка"), "", "last"};
    form->memoEdit->SetLines(lines);
    chosenFile_ = folder_->File("description.txt");
    QTest::mouseClick(form->memoToFileButton, Qt::LeftButton);
    QCOMPARE(testing::FileContents(chosenFile_), std::string("Первая строка\r\n\r\nlast\r\n"));

    form->memoEdit->clear();
    QTest::mouseClick(form->memoFromFileButton, Qt::LeftButton);
    QCOMPARE(form->memoEdit->Lines(), lines);
    QVERIFY(form->Entries().Empty());  // the entry changes only when the editor is saved

    chosenFile_.clear();  // the dialog cancelled
    QTest::mouseClick(form->memoFromFileButton, Qt::LeftButton);
    QTest::mouseClick(form->memoToFileButton, Qt::LeftButton);
    QCOMPARE(form->memoEdit->Lines(), lines);
    QVERIFY(messages_.empty());
}

void CatalogFormTest::playlistFilterTakesTheTitles() {
    const std::string playlist = folder_->File("mix.m3u");
    testing::WriteFileContents(playlist,
                               "#EXTM3U\r\n"
                               "#EXTINF:7,One digit\r\nC:\\Music\\1.mp3\r\n"
                               "#EXTINF:42,Two, with, commas\r\n2.mp3\r\n"
                               "#EXTINF:217,Artist - Title\r\n3.mp3\r\n"
                               "#EXTINF:3600,Four digits\r\n4.mp3\r\n"
                               "#EXTINF:-1,Radio stream\r\nhttp://radio.example/live\r\n"
                               "#EXTINF:120\r\nno-title.mp3\r\n"
                               "#EXTINF:5,Кино - Группа крови\r\n5.mp3\r\n");
    auto form = Open();
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    form->memoEdit->SetLines({"old"});
    chosenFile_ = playlist;
    chosenFilter_ = 2;
    QTest::mouseClick(form->memoFromFileButton, Qt::LeftButton);
    QCOMPARE(filters_.back().first, FileDialogKind::Open);
    QCOMPARE(filters_.back().second,
             QString::fromUtf8("Все файлы|*|Текстовые файлы|*.txt|Списки воспроизведения WinAmp|*.m3u"));
    const StrList titles = {"One digit",   "Two, with, commas", "Artist - Title",
                            "Four digits", "Radio stream",      W("Кино - Группа крови")};
    QCOMPARE(form->memoEdit->Lines(), titles);
    form->nameEdit->SetText("Mix");
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Entries()[0].Memo, titles);
    Select(*form, "Mix");
    QVERIFY(form->descriptionText->text().startsWith("One digit\nTwo, with, commas\n"));

    // A text file without "#EXTINF" lines read as a playlist empties the description.
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    chosenFile_ = folder_->File("plain.txt");
    testing::WriteFileContents(chosenFile_, "first line\r\nsecond, with a comma\r\n");
    QTest::mouseClick(form->memoFromFileButton, Qt::LeftButton);
    QVERIFY(form->memoEdit->Lines().empty());
    QVERIFY(messages_.empty());
}

void CatalogFormTest::aPlaylistByNameUnderAnyFilterAndOtherFilesLineByLine() {
    const std::string bytes = "#EXTM3U\n#EXTINF:7,One\n1.mp3\n";
    const std::string playlist = folder_->File("mix.m3u");
    const std::string text = folder_->File("mix.txt");
    testing::WriteFileContents(playlist, bytes);
    testing::WriteFileContents(text, bytes);
    auto form = Open();
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    for (int filter : {0, 1}) {
        form->memoEdit->clear();
        chosenFilter_ = filter;
        chosenFile_ = playlist;
        QTest::mouseClick(form->memoFromFileButton, Qt::LeftButton);
        QCOMPARE(form->memoEdit->Lines(), StrList{"One"});
        chosenFile_ = text;
        QTest::mouseClick(form->memoFromFileButton, Qt::LeftButton);
        QCOMPARE(form->memoEdit->Lines(), (StrList{"#EXTM3U", "#EXTINF:7,One", "1.mp3"}));
    }
}

void CatalogFormTest::unreadableOrOversizedFilesLeaveTheDescription() {
    auto form = Open();
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    form->memoEdit->SetLines({"kept"});
    const std::string large = folder_->File("large.txt");
    testing::WriteFileContents(large, "");
    std::filesystem::resize_file(large, (std::uintmax_t{16} << 20) + 1);
    const std::string picture = folder_->File("cover.m3u");
    testing::WriteFileContents(picture, std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const struct {
        std::string path;
        const char* message;
    } cases[] = {
        {folder_->File("missing/none.txt"), "Не удалось прочитать файл %1. Текст не изменён."},
        {folder_->File("Data"), "Не удалось прочитать файл %1. Текст не изменён."},
        {large, "Файл %1 больше 16 МБ: это слишком много для текста. Текст не изменён."},
        {picture, "Файл %1 не текстовый (в нём есть нулевые байты). Текст не изменён."},
    };
    for (const auto& c : cases) {
        for (int filter : {0, 2}) {
            chosenFile_ = c.path;
            chosenFilter_ = filter;
            QTest::mouseClick(form->memoFromFileButton, Qt::LeftButton);
            QCOMPARE(messages_.back(), QString::fromUtf8(c.message).arg(QString::fromStdString(c.path)));
            QCOMPARE(form->memoEdit->Lines(), StrList{"kept"});
        }
    }
    chosenFile_ = folder_->File("missing/out.txt");
    QTest::mouseClick(form->memoToFileButton, Qt::LeftButton);
    QCOMPARE(messages_.size(), std::size_t(9));
    QCOMPARE(filters_.back().first, FileDialogKind::Save);
    QCOMPARE(messages_.back(), QString::fromUtf8("Не удалось записать файл %1.").arg(QString::fromStdString(chosenFile_)));
}

void CatalogFormTest::closeWritesOnlyAfterAChange() {
    WriteCatalog({TCatalogNote(3, W("Фильм"), {W("описание"), ""}), TCatalogNote(1, "x", {})});
    const std::string stored = testing::FileContents(CatalogPath());
    const auto stamp = std::filesystem::last_write_time(CatalogPath());
    {
        auto form = Open();
        ClickTab(*form, 3);
        Select(*form, W("Фильм"));  // viewing, searching, counting and cancelling change nothing
        QTest::mouseClick(form->editButton, Qt::LeftButton);
        QTest::mouseClick(form->cancelButton, Qt::LeftButton);
        form->searchEdit->SetText("*");
        QTest::mouseClick(form->findButton, Qt::LeftButton);
        QTest::mouseClick(form->statisticsButton, Qt::LeftButton);
        form->CloseForm();
    }
    QCOMPARE(testing::FileContents(CatalogPath()), stored);
    QCOMPARE(std::filesystem::last_write_time(CatalogPath()), stamp);
}

void CatalogFormTest::readAgainShowsTheFileAndClosesTheEditor() {
    WriteCatalog({TCatalogNote(1, "from the copy", {}), TCatalogNote(2, "x", {})});
    auto form = Open();
    AddEntry(*form, "unsaved", {});
    QTest::mouseClick(form->statisticsButton, Qt::LeftButton);
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    form->Data().LoadNow();
    QVERIFY(!form->editPanel->isVisibleTo(form.get()));
    QVERIFY(!form->HasChanges());
    QCOMPARE(ShownTitles(*form), Titles{"from the copy"});
    QCOMPARE(Counts(*form), (std::array<QString, 6>{"1", "1", "0", "0", "0", "0"}));
}

// The shipped dictionaries are built from the window's table: its Russian texts must be the
// window's own, or a dictionary would change the window's look in Russian.
void CatalogFormTest::dictionaryTableHoldsTheBuiltInTexts() {
    auto form = Open();
    QtDictionaryTarget target(form.get());
    int items = 0;
    for (const std::string& line :
         ReadTextFileLines(std::string(POMIX_SOURCE_DIR) + "/app/lang/CatalogForm.tsv")) {
        if (line.empty() || line[0] == '#') continue;
        const QStringList fields = ToQt(line).split('\t');
        QCOMPARE(fields.size(), 3);
        const QStringList key = fields[0].split('_');
        QCOMPARE(key.size(), 2);
        std::string text;
        QVERIFY2(target.GetText(FromQt(key[0]), FromQt(key[1]), text), qPrintable(fields[0]));
        QCOMPARE(ToQt(text), fields[1]);
        QVERIFY(!fields[2].isEmpty());
        ++items;
    }
    // Button1-13 twice, Button14-15, three radio buttons twice, five hints, eleven captions,
    // the list's and the pop-up menu's accessible names, the four text file messages
    QCOMPARE(items, 56);
}

QTEST_MAIN(CatalogFormTest)
#include "catalog_form_test.moc"
