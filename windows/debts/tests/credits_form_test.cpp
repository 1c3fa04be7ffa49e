// The debt book window driven headless through its own controls: adding and editing debts with
// names from the contacts, bad due dates, the days-left column, sorting, the statistics panel,
// what reaches Credit.dat at close, and the dictionary items the window binds.
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "windows/debts/credits_form.h"
#include "windows/planner/calendar_dialog.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"
#include "storage/locale.h"
#include "storage/report.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"
#include "kit/convert.h"
#include "kit/message.h"

using namespace pomix;

namespace {

std::string W(const char* utf8) {
    return Utf8ToCp1251(utf8);
}

DateTime Day(int y, int m, int d) {
    DateTime day = 0;
    TryEncodeDate(y, m, d, day);
    return day;
}

Contact MakeContact(const char* surname, const char* firstName, const char* patronymic) {
    return Contact(W(surname), W(firstName), W(patronymic), 0, "", "", "", "", "", {}, 0);
}

// The [section] of a dictionary file as key -> value (code page 1251).
std::map<std::string, std::string> SectionOf(const std::string& path, const std::string& section) {
    std::ifstream in(path, std::ios::binary);
    std::map<std::string, std::string> items;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + section + "]";
        } else if (inside && line.find('=') != std::string::npos) {
            items[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    return items;
}

// Key -> Russian text of a dictionary table (UTF-8 file, converted to code page 1251).
std::map<std::string, std::string> TableOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::map<std::string, std::string> items;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t first = line.find('\t');
        const std::size_t second = line.find('\t', first + 1);
        items[line.substr(0, first)] = Utf8ToCp1251(line.substr(first + 1, second - first - 1));
    }
    return items;
}

}  // namespace

class CreditsFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void editOffersTheContactsAndShowsTheChange();
    void typedNamesAreKeptAsTyped();
    void newDebtUnderIOweIsDueInSevenDays();
    void badOrClearedDueDateStoresNothing();
    void editWithoutADebtChangesNothing();
    void editorKeepsTheDebtItWasOpenedOn();
    void daysColumnAcrossNewYearWithAnEmptyMark();
    void storedDueDatesThatAreNoDates();
    void semicolonsStayInTheirCells();
    void sortingReordersTheFileAndHidesOtherKinds();
    void readAgainShowsTheFileAndClosesTheEditor();
    void deleteRemovesTheSelectedDebt();
    void statisticsPanelShowsTheTotalsOfBothKinds();
    void pickerIsPresetFromTheField();
    void openAndCloseWithoutAChangeKeepsTheFile();
    void dictionaryItemsAreExactlyTheTable();

private:
    std::unique_ptr<TCreditsForm> Open(const AddressList* contacts = nullptr);
    std::unique_ptr<AddressBook> book_;
    void WriteDebts(const CreditList& debts);
    int RowOf(TCreditsForm& form, const std::string& name);
    void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }
    std::string CreditPath() const { return folder_->File("Data/Credit.dat"); }
    QString Cell(TCreditsForm& form, int row, int column) {
        return form.debtList->Cell(row, column);
    }

    std::unique_ptr<testing::ScratchDir> folder_;
    StreamContainer container_;
    DateTime now_ = Day(2026, 12, 7) + 0.5;
    std::vector<QString> messages_;
    std::vector<std::string> reports_;
};

void CreditsFormTest::init() {
    folder_ = std::make_unique<testing::ScratchDir>();
    std::filesystem::create_directories(folder_->File("Data"));
    std::filesystem::create_directories(folder_->File("Lang"));
    SetProgramDir(folder_->Path());
    SettingsRecord = TSettingsRecord{};
    SettingsRecord.ConfirmDelete = true;
    SettingsRecord.OverdueMark = W("Просрочен");
    SetLocale(std::make_unique<FixedLocale>('.'));
    messages_.clear();
    reports_.clear();
    now_ = Day(2026, 12, 7) + 0.5;
    SetClock([this] { return now_; });
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_.push_back(text);
        return MessageAnswer::Yes;
    });
    SetReportHook([this](const std::string& message) { reports_.push_back(message); });
}

void CreditsFormTest::cleanup() {
    SetClock({});
    SetMessagePresenter({});
    SetReportHook({});
    SetLocale(nullptr);
    book_.reset();
    folder_.reset();
}

std::unique_ptr<TCreditsForm> CreditsFormTest::Open(const AddressList* contacts) {
    if (!contacts) return std::make_unique<TCreditsForm>(container_, nullptr);
    book_ = std::make_unique<AddressBook>(container_, folder_->File("Data/Address.dat"));
    book_->ReplaceContacts(*contacts);
    return std::make_unique<TCreditsForm>(container_, book_.get());
}

void CreditsFormTest::WriteDebts(const CreditList& debts) {
    SectionFile file(container_, CreditPath(), kCreditStreamName);
    SaveCreditList(file, debts, true);
}

int CreditsFormTest::RowOf(TCreditsForm& form, const std::string& name) {
    for (int row = 0; row < form.debtList->Count(); ++row) {
        if (FromQt(form.debtList->Cell(row, 0)) == name) return row;
    }
    return -1;
}

void CreditsFormTest::editOffersTheContactsAndShowsTheChange() {
    AddressList contacts;
    contacts.Add(MakeContact("Яковлев", "Пётр", "Ильич"));
    contacts.Add(MakeContact("Авдеев", "Олег", "Юрьевич"));
    contacts.Add(MakeContact("Петров", "Иван", "Сергеевич"));
    CreditList debts;
    const DateTime entered = Day(2026, 11, 1) + 0.3;
    debts.Add(TCreditNote(kIOwe, "other", "x", entered, Day(2026, 12, 1)));
    debts.Add(TCreditNote(kIOwe, W("Петров И. С."), W("дрель"), entered, Day(2026, 12, 24)));
    WriteDebts(debts);

    auto form = Open(&contacts);
    Click(form->iOweTab);
    form->debtList->SetCurrentRow(RowOf(*form, W("Петров И. С.")));
    QCOMPARE(form->subjectEdit->Text(), W("дрель"));
    QCOMPARE(form->dueDateEdit->Text(), std::string("24.12.2026"));
    Click(form->editButton);
    QVERIFY(form->editorPanel->isVisibleTo(form.get()));
    QVERIFY(!form->AddMode);
    // The refill offers every contact alphabetically and keeps the stored debtor.
    QCOMPARE(form->debtorBox->Items(),
             (StrList{W("Авдеев О. Ю."), W("Петров И. С."), W("Яковлев П. И.")}));
    QCOMPARE(form->debtorBox->Text(), W("Петров И. С."));
    form->subjectEdit->SetText(W("дрель и сверла"));
    form->dueDateEdit->SetText("10.01.2027");
    Click(form->saveButton);

    QVERIFY(!form->editorPanel->isVisibleTo(form.get()));
    QVERIFY(form->HasChanges());
    QCOMPARE(form->CurrentKind(), kIOwe);
    const int row = RowOf(*form, W("Петров И. С."));
    QCOMPARE(form->debtList->CurrentRow(), row);
    QCOMPARE(Cell(*form, row, 1), QString::fromUtf8("дрель и сверла"));
    QCOMPARE(Cell(*form, row, 2), QString("10.01.2027"));

    // Edit without a selection opens nothing.
    form->debtList->SetCurrentRow(-1);
    Click(form->editButton);
    QVERIFY(!form->editorPanel->isVisibleTo(form.get()));
}

void CreditsFormTest::typedNamesAreKeptAsTyped() {
    AddressList contacts;
    contacts.Add(MakeContact("Ivanov", "Ivan", "Ivanovich"));
    auto form = Open(&contacts);
    Click(form->addButton);
    QVERIFY(form->debtorBox->Text().empty());
    QLineEdit* typed = form->debtorBox->lineEdit();
    // A prefix of a contact's name is not completed, and Enter adds nothing to the choices.
    QTest::keyClicks(typed, "Iva");
    QTest::keyClick(typed, Qt::Key_Return);
    QCOMPARE(form->debtorBox->Text(), std::string("Iva"));
    QCOMPARE(form->debtorBox->Items(), StrList{"Ivanov I. I."});
    form->subjectEdit->SetText("book");
    Click(form->saveButton);
    QCOMPARE(form->Credits().Count(), std::size_t(1));
    QCOMPARE(form->Credits()[0].Person, std::string("Iva"));

    // A name that is no contact survives the refill of the next Edit.
    form->debtList->SetCurrentRow(0);
    Click(form->editButton);
    QCOMPARE(form->debtorBox->Text(), std::string("Iva"));
    Click(form->saveButton);
    QCOMPARE(form->Credits()[0].Person, std::string("Iva"));
}

void CreditsFormTest::newDebtUnderIOweIsDueInSevenDays() {
    auto form = Open();  // no contacts: no names offered, any name can be typed
    Click(form->iOweTab);
    QVERIFY(form->iOweTab->HasBorder());
    QVERIFY(!form->owedToMeTab->HasBorder());
    Click(form->addButton);
    QVERIFY(form->AddMode);
    QCOMPARE(form->debtorBox->count(), 0);
    QCOMPARE(form->dueDateEdit->Text(), std::string("14.12.2026"));
    form->debtorBox->SetText(W("Сидоров"));
    form->subjectEdit->SetText(W("100 руб."));
    now_ += 0.01;  // the entry moment is the save's
    Click(form->saveButton);

    QCOMPARE(form->Credits().Count(), std::size_t(1));
    const TCreditNote& debt = form->Credits()[0];
    QCOMPARE(debt.Kind, kIOwe);
    QCOMPARE(debt.CreateDate, now_);
    QCOMPARE(debt.ReturnDate, Day(2026, 12, 14));
    QCOMPARE(form->debtList->Count(), 1);
    QCOMPARE(Cell(*form, 0, 0), QString::fromUtf8("Сидоров"));
    QCOMPARE(Cell(*form, 0, 2), QString("14.12.2026"));
    QCOMPARE(Cell(*form, 0, 3), QString("8"));
    // Not listed under the other kind.
    Click(form->owedToMeTab);
    QCOMPARE(form->debtList->Count(), 0);
    QVERIFY(reports_.empty());
}

void CreditsFormTest::badOrClearedDueDateStoresNothing() {
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "Ann", "5 $", 0, Day(2026, 12, 20)));
    WriteDebts(debts);
    auto form = Open();

    // Clear, then Save: one message, nothing stored, the editor stays.
    Click(form->addButton);
    form->subjectEdit->SetText("pen");
    Click(form->clearButton);
    QVERIFY(form->subjectEdit->Text().empty());
    QCOMPARE(form->dueDateEdit->Text(), std::string(TMaskEdit::EmptyText(TMaskEdit::Kind::Date)));
    Click(form->saveButton);
    QCOMPARE(reports_, std::vector<std::string>{kIncorrectDateMessage});
    QCOMPARE(form->Credits().Count(), std::size_t(1));
    QVERIFY(form->editorPanel->isVisibleTo(form.get()));
    QVERIFY(!form->HasChanges());

    // A day that does not exist keeps its text for mending.
    form->dueDateEdit->SetText("31.02.2027");
    Click(form->saveButton);
    QCOMPARE(reports_.size(), std::size_t(2));
    QCOMPARE(form->dueDateEdit->Text(), std::string("31.02.2027"));
    QCOMPARE(form->Credits().Count(), std::size_t(1));
    Click(form->cancelButton);
    QVERIFY(!form->editorPanel->isVisibleTo(form.get()));

    // An edit never replaces the stored due date by today.
    form->debtList->SetCurrentRow(0);
    Click(form->editButton);
    form->dueDateEdit->SetText("32.12.2026");
    form->subjectEdit->SetText("changed");
    Click(form->saveButton);
    QCOMPARE(reports_.size(), std::size_t(3));
    QCOMPARE(form->Credits()[0].ReturnDate, Day(2026, 12, 20));
    QCOMPARE(form->Credits()[0].Name, std::string("5 $"));
    QVERIFY(!form->HasChanges());
    QVERIFY(messages_.empty());
}

void CreditsFormTest::editWithoutADebtChangesNothing() {
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "Ann", "5 $", 1, Day(2026, 12, 20)));
    WriteDebts(debts);
    auto form = Open();
    form->debtList->SetCurrentRow(0);
    Click(form->editButton);
    form->subjectEdit->SetText("changed");
    // The kind shown changes under the open editor: its line is gone.
    form->ShowKind(kIOwe);
    Click(form->saveButton);
    QVERIFY(form->editorPanel->isVisibleTo(form.get()));
    QCOMPARE(form->Credits().Count(), std::size_t(1));
    QCOMPARE(form->Credits()[0].Name, std::string("5 $"));
    QVERIFY(!form->HasChanges());
}

void CreditsFormTest::editorKeepsTheDebtItWasOpenedOn() {
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "Ann", "5 $", 1, Day(2026, 12, 20)));
    debts.Add(TCreditNote(kOwedToMe, "Bob", "7 $", 1, Day(2026, 12, 21)));
    WriteDebts(debts);
    auto form = Open();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->debtList->SetCurrentRow(RowOf(*form, "Ann"));
    Click(form->editButton);
    form->subjectEdit->SetText("typed");
    const QPoint bob =
        form->debtList->visualRect(form->debtList->model()->index(RowOf(*form, "Bob"), 0)).center();
    QTest::mouseClick(form->debtList->viewport(), Qt::LeftButton, {}, bob);
    for (QWidget* command : std::initializer_list<QWidget*>{form->iOweTab, form->nameColumnTab,
                                                            form->deleteButton, form->statisticsButton})
        Click(command);
    QVERIFY(form->editorPanel->isVisibleTo(form.get()));
    QCOMPARE(form->subjectEdit->Text(), std::string("typed"));
    QVERIFY(messages_.empty());
    Click(form->saveButton);
    QCOMPARE(form->Credits()[0].Name, std::string("typed"));
    QCOMPARE(form->Credits()[1].Name, std::string("7 $"));
    QCOMPARE(form->CurrentKind(), kOwedToMe);
    QVERIFY(form->debtList->isEnabled() && form->statisticsButton->isEnabled());
}

void CreditsFormTest::daysColumnAcrossNewYearWithAnEmptyMark() {
    SettingsRecord.OverdueMark.clear();
    now_ = Day(2026, 12, 31) + 0.99;
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "today", "", 0, Day(2026, 12, 31)));
    debts.Add(TCreditNote(kOwedToMe, "tomorrow", "", 0, Day(2027, 1, 1) + 0.9));
    debts.Add(TCreditNote(kOwedToMe, "yesterday", "", 0, Day(2026, 12, 30) + 0.999));
    debts.Add(TCreditNote(kOwedToMe, "later", "", 0, Day(2027, 2, 1)));
    WriteDebts(debts);
    auto form = Open();
    const auto days = [&] {
        QStringList column;
        for (int row = 0; row < form->debtList->Count(); ++row) column << Cell(*form, row, 3);
        return column;
    };
    QCOMPARE(days(), (QStringList{"1", "2", "", "33"}));
    QCOMPARE(Cell(*form, 1, 2), QString("01.01.2027"));

    // Shown again on the same day nothing is rebuilt (the selection stays); on a later day
    // the column counts from that day.
    form->show();
    form->debtList->SetCurrentRow(3);
    form->hide();
    form->show();
    QCOMPARE(form->debtList->CurrentRow(), 3);
    form->hide();
    now_ = Day(2027, 1, 1) + 0.01;
    form->show();
    QCOMPARE(days(), (QStringList{"", "1", "", "32"}));
}

void CreditsFormTest::storedDueDatesThatAreNoDates() {
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "inf", "", 0, INFINITY));
    debts.Add(TCreditNote(kOwedToMe, "nan", "", 0, NAN));
    debts.Add(TCreditNote(kOwedToMe, "huge", "", 0, 1e300));
    debts.Add(TCreditNote(kOwedToMe, "fine", "", 0, Day(2026, 12, 9)));
    WriteDebts(debts);
    auto form = Open();
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(Cell(*form, row, 2), QString());
        QCOMPARE(Cell(*form, row, 3), QString::fromUtf8("Просрочен"));
    }
    QCOMPARE(Cell(*form, 3, 3), QString("3"));
    // Clicking shows the debt with an empty date field and no message.
    form->debtList->SetCurrentRow(3);
    form->debtList->SetCurrentRow(0);
    QCOMPARE(form->debtorBox->Text(), std::string("inf"));
    QCOMPARE(form->dueDateEdit->Text(), std::string(TMaskEdit::EmptyText(TMaskEdit::Kind::Date)));
    form->debtList->SetCurrentRow(2);
    QVERIFY(reports_.empty());
    QVERIFY(messages_.empty());
}

void CreditsFormTest::semicolonsStayInTheirCells() {
    auto form = Open();
    Click(form->addButton);
    form->debtorBox->SetText("Smith; John");
    form->subjectEdit->SetText("5 $; book");
    form->dueDateEdit->SetText("01.01.2027");
    Click(form->saveButton);
    QCOMPARE(Cell(*form, 0, 0), QString("Smith; John"));
    QCOMPARE(Cell(*form, 0, 1), QString("5 $; book"));
    QCOMPARE(Cell(*form, 0, 2), QString("01.01.2027"));
    QCOMPARE(Cell(*form, 0, 3), QString("26"));
}

void CreditsFormTest::sortingReordersTheFileAndHidesOtherKinds() {
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "delta", "s1", 0, Day(2027, 3, 1)));
    debts.Add(TCreditNote(kIOwe, "Bravo", "s2", 0, Day(2027, 1, 1) + 0.9));
    debts.Add(TCreditNote(3, "alpha", "hidden", 0, Day(2027, 2, 1)));
    debts.Add(TCreditNote(kOwedToMe, "charlie", "s3", 0, Day(2027, 1, 1) + 0.1));
    debts.Add(TCreditNote(kIOwe, "echo", "s4", 0, Day(2026, 12, 20)));
    WriteDebts(debts);
    auto form = Open();
    Click(form->iOweTab);
    Click(form->nameColumnTab);  // sorts both kinds, case ignored
    QVERIFY(form->HasChanges());
    QCOMPARE(form->debtList->Count(), 2);
    QCOMPARE(Cell(*form, 0, 0), QString("Bravo"));
    QCOMPARE(Cell(*form, 1, 0), QString("echo"));
    Click(form->owedToMeTab);
    QCOMPARE(form->debtList->Count(), 2);
    QCOMPARE(Cell(*form, 0, 0), QString("charlie"));
    Click(form->dateColumnTab);
    QCOMPARE(Cell(*form, 0, 0), QString("charlie"));
    QCOMPARE(Cell(*form, 1, 0), QString("delta"));
    QCOMPARE(RowOf(*form, "alpha"), -1);  // kind 3 is never listed
}

void CreditsFormTest::readAgainShowsTheFileAndClosesTheEditor() {
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "from the copy", "", 0, Day(2027, 1, 1)));
    WriteDebts(debts);
    auto form = Open();
    form->Data().Add(TCreditNote(kOwedToMe, "unsaved", "", 0, 0));
    Click(form->addButton);
    form->Data().LoadNow();
    QVERIFY(!form->editorPanel->isVisibleTo(form.get()));
    QVERIFY(!form->HasChanges());
    QCOMPARE(form->debtList->Count(), 1);
    QCOMPARE(Cell(*form, 0, 0), QString("from the copy"));
}

void CreditsFormTest::deleteRemovesTheSelectedDebt() {
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "a", "", 0, Day(2027, 1, 1)));
    debts.Add(TCreditNote(kOwedToMe, "b", "", 0, Day(2027, 1, 1)));
    debts.Add(TCreditNote(kIOwe, "c", "", 0, Day(2027, 1, 1)));
    WriteDebts(debts);
    auto form = Open();
    form->debtList->SetCurrentRow(RowOf(*form, "b"));
    Click(form->deleteButton);
    QCOMPARE(form->Credits().Count(), std::size_t(2));
    QCOMPARE(form->Credits()[1].Person, std::string("c"));
    QCOMPARE(form->debtList->Count(), 1);
    // The line after the deleted one is selected, and the fields show its debt.
    QCOMPARE(form->debtList->CurrentRow(), 0);
    QVERIFY(!form->debtorBox->Text().empty());
    QVERIFY(form->HasChanges());
}

// The sums themselves are the core's (statistics_test): here, that the panel shows them in the
// locale's format, counted afresh on every opening, and the count left out only when some are.
void CreditsFormTest::statisticsPanelShowsTheTotalsOfBothKinds() {
    SetLocale(std::make_unique<FixedLocale>(','));
    auto form = Open();
    form->Data().Add(TCreditNote(kOwedToMe, "", "100 $", 0, 0));
    form->Data().Add(TCreditNote(kIOwe, "", W("1 500,50 руб."), 0, 0));
    Click(form->statisticsButton);
    QVERIFY(form->statisticsPanel->isVisibleTo(form.get()));
    QCOMPARE((QStringList{form->owedToMeDollars->text(), form->owedToMeRoubles->text(),
                          form->iOweDollars->text(), form->iOweRoubles->text(),
                          form->balanceDollars->text(), form->balanceRoubles->text()}),
             (QStringList{"100,00 $", QString::fromUtf8("0,00 рублей"), "0,00 $",
                          QString::fromUtf8("1500,50 рублей"), "100,00 $",
                          QString::fromUtf8("-1500,50 рублей")}));
    QVERIFY(!form->leftOutCount->isVisibleTo(form.get()));

    Click(form->closeStatisticsButton);
    QVERIFY(!form->statisticsPanel->isVisibleTo(form.get()));
    form->Data().Add(TCreditNote(kIOwe, "", "49.5 $", 0, 0));
    form->Data().Add(TCreditNote(kIOwe, "", "99999999999999999999 $", 0, 0));
    Click(form->statisticsButton);
    QCOMPARE(form->balanceDollars->text(), QString("50,50 $"));
    QVERIFY(form->leftOutCaption->isVisibleTo(form.get()));
    QCOMPARE(form->leftOutCount->text(), QString("1"));
}

void CreditsFormTest::pickerIsPresetFromTheField() {
    TCalendarDialog picker;
    auto form = Open();
    Click(form->addButton);
    form->dueDateEdit->SetText("05.03.2027");
    DateTime preset = 0;
    QTimer::singleShot(0, &picker, [&picker, &preset] {
        preset = picker.PickedDay();
        picker.SetPickedDay(Day(2027, 3, 9));
        QTest::mouseClick(picker.acceptButton, Qt::LeftButton);
    });
    Click(form->pickerButton);
    QCOMPARE(preset, Day(2027, 3, 5));
    QCOMPARE(form->dueDateEdit->Text(), std::string("09.03.2027"));
    QVERIFY(reports_.empty());

    // A field that holds no date is reported once and the picker starts on today; "Отмена"
    // leaves the field as it was.
    Click(form->clearButton);
    QTimer::singleShot(0, &picker, [&picker, &preset] {
        preset = picker.PickedDay();
        QTest::mouseClick(picker.cancelButton, Qt::LeftButton);
    });
    Click(form->pickerButton);
    QCOMPARE(preset, Day(2026, 12, 7));
    QCOMPARE(reports_, std::vector<std::string>{kIncorrectDateMessage});
    QCOMPARE(form->dueDateEdit->Text(), std::string(TMaskEdit::EmptyText(TMaskEdit::Kind::Date)));
}

void CreditsFormTest::openAndCloseWithoutAChangeKeepsTheFile() {
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, W("Ким"), W("3 руб"), Day(2026, 1, 1) + 0.123, NAN));
    debts.Add(TCreditNote(7, "odd", "kind", 0, Day(2027, 1, 1)));
    WriteDebts(debts);
    const std::string before = testing::FileContents(CreditPath());
    const auto stamp = std::filesystem::last_write_time(CreditPath());
    {
        auto form = Open();
        form->show();
        Click(form->iOweTab);
        form->debtList->SetCurrentRow(0);
        Click(form->statisticsButton);
        Click(form->closeStatisticsButton);
        Click(form->addButton);
        Click(form->cancelButton);
        form->CloseForm();
    }
    QCOMPARE(testing::FileContents(CreditPath()), before);
    QVERIFY(std::filesystem::last_write_time(CreditPath()) == stamp);
    // Without a file nothing is created either.
    std::filesystem::remove(CreditPath());
    Open()->CloseForm();
    QVERIFY(!std::filesystem::exists(CreditPath()));
}

void CreditsFormTest::dictionaryItemsAreExactlyTheTable() {
    const std::string dictionary = folder_->File("Lang/Test.lng");
    testing::WriteFileContents(dictionary, "[CreditsForm]\r\n");
    SettingsRecord.LanguageFile = "Test.lng";
    {
        auto form = Open();
        form->show();
        form->CloseForm();
    }
    auto written = SectionOf(dictionary, "CreditsForm");
    written.erase("FormVersion");
    const auto table = TableOf(POMIX_SOURCE_DIR "/app/lang/CreditsForm.tsv");
    QCOMPARE(written.size(), std::size_t(49));
    QCOMPARE(table.size(), std::size_t(49));
    for (const auto& [key, text] : written) {
        QVERIFY2(table.count(key), key.c_str());
        QVERIFY2(table.at(key) == text, key.c_str());  // the table's Russian is the built-in text
    }
    for (const char* total : {"Label9_Caption", "Label13_Caption", "Label14_Caption", "Label16_Caption"}) {
        QVERIFY(!written.count(total));
    }
}

QTEST_MAIN(CreditsFormTest)
#include "credits_form_test.moc"
