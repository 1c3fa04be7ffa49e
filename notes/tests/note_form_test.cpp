// The notes window driven headless: editing, deleting and searching through its own
// commands, the text file commands, and what reaches Note.dat at close.
#include <QTest>
#include <filesystem>
#include <set>

#include "notes/note_form.h"
#include "settings/program_files.h"
#include "settings/settings_record.h"
#include "storage/tests/scratch_dir.h"
#include "storage/cp1251.h"
#include "storage/stream_container.h"
#include "ui/convert.h"
#include "ui/file_dialog.h"
#include "ui/message.h"

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
    void addStampsTheMomentOfSaving();
    void editKeepsTheNoteAndRestampsIt();
    void deleteAsksOnlyWhenConfirmationIsOn();
    void emptyAndEqualTitlesEachKeepTheirLine();
    void searchByTitleTextAndBoth();
    void editingAndDeletingSearchResultsReachTheRightNote();
    void textFileRoundTrip();
    void unreadableTextFileLeavesTheEditorAsItWas();
    void closeWritesOnlyAfterAChange();
    void damagedFileIsKeptBeforeItIsOverwritten();

private:
    std::unique_ptr<TNoteForm> Open();
    void AddNote(TNoteForm& form, const std::string& name, const StrList& memo);
    int RowOf(TNoteForm& form, const std::string& name, int nth = 0);
    std::string NotePath() const { return folder_->File("Data/Note.dat"); }

    std::unique_ptr<testing::ScratchDir> folder_;
    StreamContainer container_;
    DateTime now_ = Moment(2026, 12, 7, 10, 30);
    std::vector<QString> messages_;
    MessageAnswer answer_ = MessageAnswer::Yes;
    std::string chosenFile_;
};

void NoteFormTest::init() {
    folder_ = std::make_unique<testing::ScratchDir>();
    std::filesystem::create_directories(folder_->File("Data"));
    SetProgramDir(folder_->Path());
    SettingsRecord = TSettingsRecord{};
    SettingsRecord.ConfirmDelete = true;
    messages_.clear();
    answer_ = MessageAnswer::Yes;
    SetClock([this] { return now_; });
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_.push_back(text);
        return answer_;
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
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    QVERIFY(form.Panel4->isVisibleTo(&form));
    QVERIFY(form.AddMode);
    form.AName->SetText(name);
    form.AMemo->SetLines(memo);
    QTest::mouseClick(form.Button9, Qt::LeftButton);
    QVERIFY(!form.Panel4->isVisibleTo(&form));
}

int NoteFormTest::RowOf(TNoteForm& form, const std::string& name, int nth) {
    for (int row = 0; row < form.ListBox1->count(); ++row) {
        if (form.ListBox1->Line(row) == name && nth-- == 0) return row;
    }
    return -1;
}

void NoteFormTest::addStampsTheMomentOfSaving() {
    auto form = Open();
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    QCOMPARE(form->ADateEdit->Text(), std::string("07.12.2026"));
    form->ADateEdit->SetText("01.01.2001");  // not read: the save stamps its own moment
    form->AName->SetText(W("Покупки"));
    form->AMemo->SetLines({W("хлеб"), "milk"});
    now_ = Moment(2026, 12, 7, 11, 45);
    QTest::mouseClick(form->Button9, Qt::LeftButton);

    QCOMPARE(form->Notes().Count(), std::size_t(1));
    const TNote& note = form->Notes()[0];
    QCOMPARE(note.Date, now_);
    QCOMPARE(note.Name, W("Покупки"));
    QCOMPARE(note.Memo, (StrList{W("хлеб"), "milk"}));
    QVERIFY(form->Modified);
    QCOMPARE(form->ListBox1->count(), 1);
    QCOMPARE(form->ListBox1->currentRow(), -1);
    QVERIFY(form->AName->Text().empty());  // the editor is cleared after the save
}

void NoteFormTest::editKeepsTheNoteAndRestampsIt() {
    auto form = Open();
    AddNote(*form, "first", {"one"});
    AddNote(*form, "second", {"two"});
    form->ListBox1->setCurrentRow(RowOf(*form, "second"));
    QCOMPARE(form->Text3->text(), QString("second"));
    QCOMPARE(form->Label1->text(), QString("two\r\n"));
    QCOMPARE(form->AName->Text(), std::string("second"));

    now_ = Moment(2027, 1, 2, 8, 0);
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    QVERIFY(!form->AddMode);
    form->AName->SetText("renamed");
    QTest::mouseClick(form->Button9, Qt::LeftButton);

    QCOMPARE(form->Notes().Count(), std::size_t(2));
    QCOMPARE(form->Notes()[1].Name, std::string("renamed"));
    QCOMPARE(form->Notes()[1].Memo, StrList{"two"});
    QCOMPARE(form->Notes()[1].Date, now_);
    QCOMPARE(form->Notes()[0].Name, std::string("first"));

    // Cancel leaves everything as it was; Edit without a selection does nothing.
    form->ListBox1->setCurrentRow(-1);
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    QVERIFY(!form->Panel4->isVisibleTo(form.get()));
}

void NoteFormTest::deleteAsksOnlyWhenConfirmationIsOn() {
    auto form = Open();
    AddNote(*form, "a", {});
    AddNote(*form, "b", {});
    form->ListBox1->setCurrentRow(RowOf(*form, "a"));
    answer_ = MessageAnswer::No;
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(messages_.size(), std::size_t(1));
    QCOMPARE(messages_[0], MessageText("Remove record ?\rУдалить запись ?"));
    QCOMPARE(form->Notes().Count(), std::size_t(2));

    answer_ = MessageAnswer::Yes;
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(form->Notes().Count(), std::size_t(1));
    QCOMPARE(form->Notes()[0].Name, std::string("b"));

    SettingsRecord.ConfirmDelete = false;
    form->ListBox1->setCurrentRow(0);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QVERIFY(form->Notes().Empty());
    QCOMPARE(messages_.size(), std::size_t(2));        // no question the second time
    QTest::mouseClick(form->Button1, Qt::LeftButton);  // nothing selected: nothing happens
}

void NoteFormTest::emptyAndEqualTitlesEachKeepTheirLine() {
    auto form = Open();
    AddNote(*form, "same", {"one"});
    AddNote(*form, "", {"untitled"});
    AddNote(*form, "same", {"two"});
    QCOMPARE(form->ListBox1->count(), 3);
    QCOMPARE(form->ListBox1->Line(0), std::string());  // an empty title sorts first
    std::set<StrList> shown;
    for (int nth = 0; nth < 2; ++nth) {
        form->ListBox1->setCurrentRow(RowOf(*form, "same", nth));
        shown.insert(form->AMemo->Lines());
    }
    QCOMPARE(shown, (std::set<StrList>{{"one"}, {"two"}}));
}

void NoteFormTest::searchByTitleTextAndBoth() {
    auto form = Open();
    AddNote(*form, "abc", {"x"});
    AddNote(*form, "ABC", {"needle in text"});
    AddNote(*form, "xabcx", {"abc"});
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    QVERIFY(form->Panel5->isVisibleTo(form.get()));

    const auto found = [&](QRadioButton* choice, const char* pattern) {
        choice->setChecked(true);
        form->Edit2->SetText(pattern);
        QTest::mouseClick(form->Button5, Qt::LeftButton);
        std::multiset<std::string> lines;
        for (int row = 0; row < form->ListBox1->count(); ++row)
            lines.insert(form->ListBox1->Line(row));
        return lines;
    };
    using Lines = std::multiset<std::string>;
    QCOMPARE(found(form->RadioButton1, "abc"), (Lines{"abc", "ABC"}));
    QCOMPARE(found(form->RadioButton1, "*abc*"), (Lines{"abc", "ABC", "xabcx"}));
    QCOMPARE(found(form->RadioButton2, "needle"), Lines{});
    QCOMPARE(found(form->RadioButton2, "*NEEDLE*"), Lines{"ABC"});
    QCOMPARE(found(form->RadioButton3, "abc"), (Lines{"abc", "ABC", "xabcx"}));
    QVERIFY(form->Panel5->isVisibleTo(form.get()));

    // An empty pattern leaves the results as they are; "Очистить результаты" shows all.
    form->Edit2->clear();
    QTest::mouseClick(form->Button5, Qt::LeftButton);
    QCOMPARE(form->ListBox1->count(), 3);
    found(form->RadioButton1, "nothing");
    QCOMPARE(form->ListBox1->count(), 0);
    QTest::mouseClick(form->Button8, Qt::LeftButton);
    QCOMPARE(form->ListBox1->count(), 3);
    QTest::mouseClick(form->Button6, Qt::LeftButton);
    QVERIFY(!form->Panel5->isVisibleTo(form.get()));
}

void NoteFormTest::editingAndDeletingSearchResultsReachTheRightNote() {
    auto form = Open();
    AddNote(*form, "alpha", {"1"});
    AddNote(*form, "beta", {"2"});
    AddNote(*form, "gamma", {"3"});
    form->RadioButton1->setChecked(true);
    form->Edit2->SetText("gamma");
    QTest::mouseClick(form->Button5, Qt::LeftButton);
    QCOMPARE(form->ListBox1->count(), 1);
    form->ListBox1->setCurrentRow(0);
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    form->AMemo->SetLines({"changed"});
    QTest::mouseClick(form->Button9, Qt::LeftButton);
    QCOMPARE(form->Notes()[2].Memo, StrList{"changed"});
    QCOMPARE(form->Notes()[1].Memo, StrList{"2"});
    QCOMPARE(form->ListBox1->count(), 3);  // all titles again

    form->Edit2->SetText("beta");
    QTest::mouseClick(form->Button5, Qt::LeftButton);
    form->ListBox1->setCurrentRow(0);
    SettingsRecord.ConfirmDelete = false;
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(form->Notes().Count(), std::size_t(2));
    QCOMPARE(form->Notes()[0].Name, std::string("alpha"));
    QCOMPARE(form->Notes()[1].Name, std::string("gamma"));
    QCOMPARE(form->ListBox1->count(), 2);
}

void NoteFormTest::textFileRoundTrip() {
    auto form = Open();
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    const StrList lines = {W("Первая строка"), "", "last"};
    form->AMemo->SetLines(lines);
    chosenFile_ = folder_->File("note.txt");
    QTest::mouseClick(form->Button14, Qt::LeftButton);
    QCOMPARE(testing::FileContents(chosenFile_), W("Первая строка") + "\r\n\r\nlast\r\n");

    form->AMemo->clear();
    QTest::mouseClick(form->Button13, Qt::LeftButton);
    QCOMPARE(form->AMemo->Lines(), lines);
    QVERIFY(form->Notes().Empty());  // the note changes only when the editor is saved

    // A UTF-8 file is converted on the way in.
    testing::WriteFileContents(chosenFile_, "Привет\nмир");
    QTest::mouseClick(form->Button13, Qt::LeftButton);
    QCOMPARE(form->AMemo->Lines(), (StrList{W("Привет"), W("мир")}));

    chosenFile_.clear();  // the dialog cancelled
    QTest::mouseClick(form->Button13, Qt::LeftButton);
    QCOMPARE(form->AMemo->Lines(), (StrList{W("Привет"), W("мир")}));
    QVERIFY(messages_.empty());
}

void NoteFormTest::unreadableTextFileLeavesTheEditorAsItWas() {
    auto form = Open();
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    form->AMemo->SetLines({"kept"});
    chosenFile_ = folder_->File("missing/none.txt");
    QTest::mouseClick(form->Button13, Qt::LeftButton);
    QTest::mouseClick(form->Button14, Qt::LeftButton);
    QCOMPARE(messages_.size(), std::size_t(2));
    QVERIFY(messages_[0].contains("none.txt"));
    QCOMPARE(form->AMemo->Lines(), StrList{"kept"});
}

void NoteFormTest::closeWritesOnlyAfterAChange() {
    {
        auto form = Open();
        AddNote(*form, "kept", {W("строка")});
        form->CloseForm();
    }
    const std::string written = testing::FileContents(NotePath());
    QVERIFY(!written.empty());
    QCOMPARE(written.substr(0, 2), std::string("\x26\x20"));
    const auto stamp = std::filesystem::last_write_time(NotePath());
    {
        auto form = Open();
        QCOMPARE(form->Notes().Count(), std::size_t(1));
        QCOMPARE(form->Notes()[0].Memo, StrList{W("строка")});
        QCOMPARE(form->Notes()[0].Date, now_);
        form->ListBox1->setCurrentRow(0);  // viewing only
        form->CloseForm();
    }
    QCOMPARE(testing::FileContents(NotePath()), written);
    QCOMPARE(std::filesystem::last_write_time(NotePath()), stamp);
}

void NoteFormTest::damagedFileIsKeptBeforeItIsOverwritten() {
    const std::string damaged = std::string("\x26\x20garbage that is no compressed image", 37);
    testing::WriteFileContents(NotePath(), damaged);
    auto form = Open();
    QVERIFY(form->Notes().Empty());
    QVERIFY(form->File().LoadFailed());
    QVERIFY(messages_.empty());  // a damaged notes file is not reported
    AddNote(*form, "new", {});
    form->CloseForm();
    QCOMPARE(testing::FileContents(NotePath() + ".damaged"), damaged);
    auto reopened = Open();
    QCOMPARE(reopened->Notes().Count(), std::size_t(1));
}

QTEST_MAIN(NoteFormTest)
#include "note_form_test.moc"
