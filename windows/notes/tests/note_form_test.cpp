// The notes window driven headless: what it shows of its notes while they are added, edited,
// deleted and searched through its own commands, and the text file commands.
#include <QTest>
#include <filesystem>

#include "windows/notes/note_form.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/tests/scratch_dir.h"
#include "storage/cp1251.h"
#include "storage/stream_container.h"
#include "kit/convert.h"
#include "kit/file_dialog.h"
#include "kit/message.h"

using namespace pomix;

namespace {

std::string W(const char* utf8) {
    return Utf8ToCp1251(utf8);
}

DateTime Moment(int y, int m, int d, int hh, int mm) {
    DateTime day = 0;
    TryEncodeDate(y, m, d, day);
    return day + EncodeTime(hh, mm);
}

}  // namespace

class NoteFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void savedNoteIsShownAndItsLineSelected();
    void searchPanelShowsFindsUntilCleared();
    void readAgainShowsTheFileAndClosesTheEditor();
    void editorKeepsTheNoteItWasOpenedOn();
    void storedTextShowsAsPlainText();
    void savedTitleGoesWhereASortOfAllPutsIt();
    void editingAndDeletingSearchResultsReachTheRightNote();
    void textFileRoundTrip();
    void unreadableTextFileLeavesTheEditorAsItWas();
    void damagedFileIsNotReported();

private:
    std::unique_ptr<TNoteForm> Open();
    void AddNote(TNoteForm& form, const std::string& name, const StrList& memo);
    int RowOf(TNoteForm& form, const std::string& name, int nth = 0);
    std::string NotePath() const { return folder_->File("Data/Note.dat"); }

    std::unique_ptr<testing::ScratchDir> folder_;
    StreamContainer container_;
    DateTime now_ = Moment(2026, 12, 7, 10, 30);
    std::vector<QString> messages_;
    std::string chosenFile_;
};

void NoteFormTest::init() {
    folder_ = std::make_unique<testing::ScratchDir>();
    std::filesystem::create_directories(folder_->File("Data"));
    SetProgramDir(folder_->Path());
    SettingsRecord = TSettingsRecord{};
    SettingsRecord.ConfirmDelete = true;
    messages_.clear();
    SetClock([this] { return now_; });
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_.push_back(text);
        return MessageAnswer::Yes;
    });
    SetFileChooser([this](FileDialogKind, const QString&, const QString&) { return chosenFile_; });
}

void NoteFormTest::cleanup() {
    SetClock({});
    SetMessagePresenter({});
    SetFileChooser({});
    folder_.reset();
}

std::unique_ptr<TNoteForm> NoteFormTest::Open() {
    return std::make_unique<TNoteForm>(container_);
}

void NoteFormTest::AddNote(TNoteForm& form, const std::string& name, const StrList& memo) {
    QTest::mouseClick(form.addButton, Qt::LeftButton);
    QVERIFY(form.editPanel->isVisibleTo(&form));
    QVERIFY(form.AddMode);
    form.titleEdit->SetText(name);
    form.textMemo->SetLines(memo);
    QTest::mouseClick(form.saveButton, Qt::LeftButton);
    QVERIFY(!form.editPanel->isVisibleTo(&form));
}

int NoteFormTest::RowOf(TNoteForm& form, const std::string& name, int nth) {
    for (int row = 0; row < form.titleList->count(); ++row) {
        if (form.titleList->Line(row) == name && nth-- == 0) return row;
    }
    return -1;
}

void NoteFormTest::savedNoteIsShownAndItsLineSelected() {
    auto form = Open();
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    QVERIFY(form->AddMode);
    QCOMPARE(form->dateEdit->Text(), std::string("07.12.2026"));
    form->titleEdit->SetText(W("Покупки"));
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QVERIFY(form->HasChanges());
    QCOMPARE(form->titleList->count(), 1);
    QCOMPARE(form->titleList->currentRow(), 0);
    QCOMPARE(form->titleList->Line(0), W("Покупки"));

    AddNote(*form, "second", {"two"});
    form->titleList->setCurrentRow(RowOf(*form, "second"));
    QCOMPARE(form->noteTitle->text(), QString("second"));
    QCOMPARE(form->noteTextLabel->text(), QString("two\r\n"));
    QCOMPARE(form->titleEdit->Text(), std::string("second"));
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    QVERIFY(!form->AddMode);
    form->titleEdit->SetText("renamed");
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->titleList->Line(form->titleList->currentRow()), std::string("renamed"));

    // Edit without a selection opens nothing.
    form->titleList->setCurrentRow(-1);
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    QVERIFY(!form->editPanel->isVisibleTo(form.get()));
}

void NoteFormTest::searchPanelShowsFindsUntilCleared() {
    auto form = Open();
    AddNote(*form, "abc", {"x"});
    AddNote(*form, "ABC", {"needle in text"});
    AddNote(*form, "xabcx", {"abc"});
    QTest::mouseClick(form->searchButton, Qt::LeftButton);
    QVERIFY(form->searchPanel->isVisibleTo(form.get()));
    form->byTextRadio->setChecked(true);
    form->searchEdit->SetText("*NEEDLE*");
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    QCOMPARE(form->titleList->count(), 1);
    QCOMPARE(form->titleList->Line(0), std::string("ABC"));
    QVERIFY(form->searchPanel->isVisibleTo(form.get()));
    QTest::mouseClick(form->clearResultsButton, Qt::LeftButton);
    QCOMPARE(form->titleList->count(), 3);
}

void NoteFormTest::readAgainShowsTheFileAndClosesTheEditor() {
    {
        auto saved = Open();
        AddNote(*saved, "from the copy", {});
        saved->CloseForm();
    }
    auto form = Open();
    AddNote(*form, "unsaved", {});
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    form->Data().LoadNow();
    QVERIFY(!form->editPanel->isVisibleTo(form.get()));
    QVERIFY(!form->HasChanges());
    QCOMPARE(form->titleList->count(), 1);
    QCOMPARE(form->titleList->Line(0), std::string("from the copy"));
}

void NoteFormTest::editorKeepsTheNoteItWasOpenedOn() {
    auto form = Open();
    AddNote(*form, "first", {"one"});
    AddNote(*form, "second", {"two"});
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->titleList->setCurrentRow(RowOf(*form, "first"));
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    form->titleEdit->SetText("typed");
    const QPoint other = form->titleList->RowRect(RowOf(*form, "second")).center();
    QTest::mouseClick(form->titleList->viewport(), Qt::LeftButton, {}, other);
    QTest::mouseClick(form->deleteButton, Qt::LeftButton);
    QCOMPARE(form->titleEdit->Text(), std::string("typed"));
    QVERIFY(messages_.empty());
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Notes()[0].Name, std::string("typed"));
    QCOMPARE(form->Notes()[1].Name, std::string("second"));
    QVERIFY(form->titleList->isEnabled() && form->deleteButton->isEnabled());
}

void NoteFormTest::storedTextShowsAsPlainText() {
    auto form = Open();
    AddNote(*form, "<img src=x.png>", {"<b>bold</b>"});
    form->titleList->setCurrentRow(0);
    QCOMPARE(form->noteTitle->text(), QString("<img src=x.png>"));
    QCOMPARE(form->noteTitle->textFormat(), Qt::PlainText);
    QCOMPARE(form->noteTextLabel->textFormat(), Qt::PlainText);
    QCOMPARE(form->noteTextLabel->text(), QString("<b>bold</b>\r\n"));
}

void NoteFormTest::savedTitleGoesWhereASortOfAllPutsIt() {
    auto form = Open();
    for (const char* title : {"b", "a", "B", "c", "a", ""}) AddNote(*form, title, {});
    const auto lines = [&form] {
        std::vector<std::pair<std::string, ItemObject>> shown;
        for (int row = 0; row < form->titleList->count(); ++row)
            shown.emplace_back(form->titleList->Line(row), form->titleList->Object(row));
        return shown;
    };
    // Edits (of the nth line titled from) to titles equal to others, first, last and new; adds.
    const struct {
        const char* from;  // null: a new note
        int nth;
        const char* to;
    } saves[] = {{"c", 0, "a"}, {"a", 2, "b"}, {"", 0, "zz"}, {"a", 0, ""},
                 {nullptr, 0, "a"}, {nullptr, 0, "b"}, {"B", 0, "c"}};
    for (const auto& save : saves) {
        if (save.from) {
            form->titleList->setCurrentRow(RowOf(*form, save.from, save.nth));
            QTest::mouseClick(form->editButton, Qt::LeftButton);
            form->titleEdit->SetText(save.to);
            QTest::mouseClick(form->saveButton, Qt::LeftButton);
        } else {
            AddNote(*form, save.to, {});
        }
        const auto placed = lines();
        form->UpDateNoteList();
        QCOMPARE(placed, lines());
    }
}

void NoteFormTest::editingAndDeletingSearchResultsReachTheRightNote() {
    auto form = Open();
    AddNote(*form, "alpha", {"1"});
    AddNote(*form, "beta", {"2"});
    AddNote(*form, "gamma", {"3"});
    form->byTitleRadio->setChecked(true);
    form->searchEdit->SetText("gamma");
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    QCOMPARE(form->titleList->count(), 1);
    form->titleList->setCurrentRow(0);
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    form->textMemo->SetLines({"changed"});
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Notes()[2].Memo, StrList{"changed"});
    QCOMPARE(form->Notes()[1].Memo, StrList{"2"});
    QCOMPARE(form->titleList->count(), 3);  // all titles again

    form->searchEdit->SetText("beta");
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    form->titleList->setCurrentRow(0);
    SettingsRecord.ConfirmDelete = false;
    QTest::mouseClick(form->deleteButton, Qt::LeftButton);
    QCOMPARE(form->Notes().Count(), std::size_t(2));
    QCOMPARE(form->Notes()[0].Name, std::string("alpha"));
    QCOMPARE(form->Notes()[1].Name, std::string("gamma"));
    QCOMPARE(form->titleList->count(), 2);
}

void NoteFormTest::textFileRoundTrip() {
    auto form = Open();
    // Picture buttons: their hints are all that says (and names for a screen reader) what they do.
    QCOMPARE(form->loadTextButton->toolTip(), QString::fromUtf8("Загрузить текст из файла"));
    QCOMPARE(form->saveTextButton->toolTip(), QString::fromUtf8("Сохранить текст в файл"));
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    const StrList lines = {W("Первая строка"), "", "last"};
    form->textMemo->SetLines(lines);
    chosenFile_ = folder_->File("note.txt");
    QTest::mouseClick(form->saveTextButton, Qt::LeftButton);
    QCOMPARE(testing::FileContents(chosenFile_), std::string("Первая строка\r\n\r\nlast\r\n"));

    form->textMemo->clear();
    QTest::mouseClick(form->loadTextButton, Qt::LeftButton);
    QCOMPARE(form->textMemo->Lines(), lines);
    QVERIFY(form->Notes().Empty());  // the note changes only when the editor is saved

    // A UTF-8 file is converted on the way in.
    testing::WriteFileContents(chosenFile_, "Привет\nмир");
    QTest::mouseClick(form->loadTextButton, Qt::LeftButton);
    QCOMPARE(form->textMemo->Lines(), (StrList{W("Привет"), W("мир")}));

    chosenFile_.clear();  // the dialog cancelled
    QTest::mouseClick(form->loadTextButton, Qt::LeftButton);
    QCOMPARE(form->textMemo->Lines(), (StrList{W("Привет"), W("мир")}));
    QVERIFY(messages_.empty());
}

void NoteFormTest::unreadableTextFileLeavesTheEditorAsItWas() {
    auto form = Open();
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    form->textMemo->SetLines({"kept"});
    chosenFile_ = folder_->File("missing/none.txt");
    QTest::mouseClick(form->loadTextButton, Qt::LeftButton);
    QTest::mouseClick(form->saveTextButton, Qt::LeftButton);
    QCOMPARE(messages_.size(), std::size_t(2));
    QVERIFY(messages_[0].contains("none.txt"));
    QCOMPARE(form->textMemo->Lines(), StrList{"kept"});
}

void NoteFormTest::damagedFileIsNotReported() {
    testing::WriteFileContents(NotePath(), std::string("\x26\x20garbage that is no compressed image", 37));
    auto form = Open();
    QVERIFY(form->DataFileUnread());
    QCOMPARE(form->titleList->count(), 0);
    QVERIFY(messages_.empty());
}

QTEST_MAIN(NoteFormTest)
#include "note_form_test.moc"
