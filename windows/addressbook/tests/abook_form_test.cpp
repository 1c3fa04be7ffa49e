// The address book window driven headless through its controls: adding from each tab,
// editing and deleting the right contact, searching, coming birthdays, opening addresses,
// stored values the editor cannot show, and what reaches Address.dat at close.
#include <QTest>
#include <QUrl>
#include <cstring>
#include <filesystem>
#include <set>

#include "windows/addressbook/abook_form.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"
#include "storage/report.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/file_dialog.h"
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

Contact MakeContact(const std::string& surname, const std::string& firstName, DateTime date,
                    std::uint8_t category) {
    return Contact(surname, firstName, "", date, "", "", "", "", "", {}, category);
}

struct Fields {
    std::string surname, firstName, patronymic, date, address, tel1, tel2, email, url;
    StrList note;
};

}  // namespace

class ABookFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void addFromEachTabStoresThatTabsCategory();
    void addThenCancelThenEditEditsTheSelectedContact();
    void detailsShowTheContactAsPlainText();
    void phonesShareTheirRowByWhatEachNeeds();
    void badBirthDateKeepsTheEditorOpenAndTheFileUnchanged();
    void searchFindsAcrossCategoriesAndReachesTheRightContact();
    void searchMatchesWholeFieldsButNotTheFirstName();
    void editorKeepsTheContactItWasOpenedOn();
    void birthdaysAcrossNewYear();
    void addressesOpenOnlyWhatIsSafe();
    void storedValuesTheEditorCannotShowSurviveAnEdit();
    void deleteAnsweredNoLeavesTheFileUntouched();
    void notesPageAndTextFiles();
    void showingRecoloursOnceWhenAsked();

private:
    std::unique_ptr<TABookForm> Open();
    void WriteContacts(const AddressList& list, const std::string& path);
    void AddContact(TABookForm& form, const Fields& fields);
    int RowOf(TABookForm& form, const std::string& line, int nth = 0);
    std::multiset<std::string> ListLines(TABookForm& form);
    std::string AddressPath() const { return folder_->File("Data/Address.dat"); }

    std::unique_ptr<testing::ScratchDir> folder_;
    StreamContainer container_;
    DateTime now_ = Day(2026, 12, 7) + 0.5;
    std::vector<QString> messages_;
    std::vector<std::string> reports_;
    std::vector<QUrl> opened_;
    MessageAnswer answer_ = MessageAnswer::Yes;
    std::string chosenFile_;
};

void ABookFormTest::init() {
    folder_ = std::make_unique<testing::ScratchDir>();
    std::filesystem::create_directories(folder_->File("Data"));
    SetProgramDir(folder_->Path());
    SettingsRecord = TSettingsRecord{};
    SettingsRecord.ConfirmDelete = false;
    messages_.clear();
    reports_.clear();
    opened_.clear();
    answer_ = MessageAnswer::Yes;
    SetClock([this] { return now_; });
    SetReportHook([this](const std::string& message) { reports_.push_back(message); });
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_.push_back(text);
        return answer_;
    });
    SetDesktopOpener([this](const QUrl& url) { opened_.push_back(url); });
    SetFileChooser(
        [this](FileDialogKind, const QString&, const QString&) { return ChosenFile(chosenFile_); });
}

void ABookFormTest::cleanup() {
    SetClock({});
    SetReportHook({});
    SetMessagePresenter({});
    SetDesktopOpener({});
    SetFileChooser({});
    folder_.reset();
}

std::unique_ptr<TABookForm> ABookFormTest::Open() {
    return std::make_unique<TABookForm>(container_);
}

void ABookFormTest::WriteContacts(const AddressList& list, const std::string& path) {
    SectionFile file(container_, path, kAddressStreamName);
    SaveAddressList(file, list, true);
}

void ABookFormTest::AddContact(TABookForm& form, const Fields& f) {
    QTest::mouseClick(form.addButton, Qt::LeftButton);
    QVERIFY(form.editPanel->isVisibleTo(&form));
    QVERIFY(form.AddMode);
    form.surnameEdit->SetText(f.surname);
    form.firstNameEdit->SetText(f.firstName);
    form.patronymicEdit->SetText(f.patronymic);
    if (!f.date.empty()) form.birthDateEdit->SetText(f.date);
    form.addressEdit->SetText(f.address);
    form.phone1Edit->SetText(f.tel1);
    form.phone2Edit->SetText(f.tel2);
    form.emailEdit->SetText(f.email);
    form.webEdit->SetText(f.url);
    form.notesMemo->SetLines(f.note);
    QTest::mouseClick(form.saveButton, Qt::LeftButton);
    QVERIFY(!form.editPanel->isVisibleTo(&form));
}

int ABookFormTest::RowOf(TABookForm& form, const std::string& line, int nth) {
    for (int row = 0; row < form.contactList->Count(); ++row) {
        if (FromQt(form.contactList->Cell(row, 0)) == line && nth-- == 0) return row;
    }
    return -1;
}

std::multiset<std::string> ABookFormTest::ListLines(TABookForm& form) {
    std::multiset<std::string> lines;
    for (int row = 0; row < form.contactList->Count(); ++row)
        lines.insert(FromQt(form.contactList->Cell(row, 0)));
    return lines;
}

void ABookFormTest::addFromEachTabStoresThatTabsCategory() {
    auto form = Open();
    QVERIFY(form->allTab->HasBorder());
    const struct {
        TStaticButton* tab;
        int selection;
        std::uint8_t stored;
        const char* name;
    } cases[] = {{form->allTab, -1, kNoCategory, "none"},
                 {form->businessTab, 1, kBusinessCategory, "work"},
                 {form->personalTab, 0, kPersonalCategory, "home"}};
    for (const auto& c : cases) {
        QTest::mouseClick(c.tab, Qt::LeftButton);
        QVERIFY(c.tab->HasBorder());
        QTest::mouseClick(form->addButton, Qt::LeftButton);
        QCOMPARE(form->categoryBox->currentIndex(), c.selection);
        QCOMPARE(form->birthDateEdit->Text(), std::string("31.12.1960"));
        form->surnameEdit->SetText(c.name);
        QTest::mouseClick(form->saveButton, Qt::LeftButton);
        QCOMPARE(form->Contacts()[form->Contacts().Count() - 1].Category, c.stored);
        QCOMPARE(form->Contacts()[form->Contacts().Count() - 1].Date, Day(1960, 12, 31));
        QCOMPARE(ListLines(*form), std::multiset<std::string>{c.name});  // listed in its tab
    }
    QVERIFY(!form->allTab->HasBorder() && !form->businessTab->HasBorder());
    QTest::mouseClick(form->allTab, Qt::LeftButton);
    QCOMPARE(ListLines(*form), (std::multiset<std::string>{"none", "work", "home"}));
    QVERIFY(form->Modified);
    QVERIFY(reports_.empty());
}

void ABookFormTest::addThenCancelThenEditEditsTheSelectedContact() {
    auto form = Open();
    AddContact(*form, {"Petrov", "Ivan", "", "01.02.1980", "Moscow", "111", "", "", "", {"n"}});
    form->contactList->SetCurrentRow(0);
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    form->surnameEdit->SetText("typed");
    QTest::mouseClick(form->cancelButton, Qt::LeftButton);
    QVERIFY(!form->editPanel->isVisibleTo(form.get()));
    QCOMPARE(form->Contacts().Count(), std::size_t(1));

    QTest::mouseClick(form->editButton, Qt::LeftButton);
    QVERIFY(!form->AddMode);
    QCOMPARE(form->surnameEdit->Text(), std::string("Petrov"));
    QCOMPARE(form->birthDateEdit->Text(), std::string("01.02.1980"));
    form->phone2Edit->SetText("222");
    QTest::mouseClick(form->saveButton, Qt::LeftButton);

    const Contact& saved = form->Contacts()[0];
    QCOMPARE(saved.Surname, std::string("Petrov"));
    QCOMPARE(saved.FirstName, std::string("Ivan"));
    QCOMPARE(saved.Address, std::string("Moscow"));
    QCOMPARE(saved.Tel1, std::string("111"));
    QCOMPARE(saved.Tel2, std::string("222"));
    QCOMPARE(saved.Note, StrList{"n"});
    QCOMPARE(saved.Date, Day(1980, 2, 1));

    // The saved contact is selected. Edit without a selection does nothing; a double click on
    // a line edits that contact.
    QCOMPARE(form->contactList->CurrentRow(), 0);
    form->contactList->SetCurrentRow(-1);
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    QVERIFY(!form->editPanel->isVisibleTo(form.get()));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const QPoint line = form->contactList->visualRect(form->contactList->model()->index(0, 0)).center();
    QTest::mouseClick(form->contactList->viewport(), Qt::LeftButton, {}, line);
    QTest::mouseDClick(form->contactList->viewport(), Qt::LeftButton, {}, line);
    QVERIFY(form->editPanel->isVisible());
    QVERIFY(!form->AddMode);
    QCOMPARE(form->phone2Edit->Text(), std::string("222"));
}

void ABookFormTest::detailsShowTheContactAsPlainText() {
    SettingsRecord.ShowAge = true;
    auto form = Open();
    const QString phone = QStringLiteral("+7 (495) 123-45-67, ext. 1234");
    AddContact(*form, {"<img src=x.png>", W("Иван"), W("Сергеевич"), "31.12.1960", "<b>street</b>",
                       FromQt(phone), "2", "a@b.ru", "x.ru", {"one", "two"}});
    QCOMPARE(FromQt(form->contactList->Cell(0, 0)), W("<img src=x.png> И. С."));
    form->contactList->SetCurrentRow(0);
    QCOMPARE(form->surnameLabel->text(), QString("<img src=x.png>"));
    for (QLabel* label : {static_cast<QLabel*>(form->surnameLabel), static_cast<QLabel*>(form->addressLabel),
                          static_cast<QLabel*>(form->notesLabel)}) {
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    QCOMPARE(form->birthDateLabel->text(), QString::fromUtf8("31 декабря 1960 г."));
    QCOMPARE(form->ageLabel->text(), QString("66"));
    QCOMPARE(form->notesLabel->text(), QString("one\r\ntwo"));
    QCOMPARE(form->phone2Label->text(), QString("2"));
    // Beside a short second number a long first one takes the rest of the row, whole.
    QCOMPARE(form->phone1Label->text(), phone);
    QVERIFY(form->phone1Label->fontMetrics().horizontalAdvance(phone) <= form->phone1Label->contentsRect().width());

    SettingsRecord.ShowAge = false;
    form->contactList->SetCurrentRow(-1);
    form->contactList->SetCurrentRow(0);
    QVERIFY(form->ageLabel->text().isEmpty());

    // A tab clears the details and the editor.
    QTest::mouseClick(form->personalTab, Qt::LeftButton);
    QVERIFY(form->surnameLabel->text().isEmpty());
    QVERIFY(form->surnameEdit->Text().empty());
    QCOMPARE(form->birthDateEdit->Text(), std::string(TMaskEdit::EmptyText(TMaskEdit::Kind::Date)));
}

void ABookFormTest::phonesShareTheirRowByWhatEachNeeds() {
    auto form = Open();
    const std::string phone = "+7 (495) 123-45-67", longer = "+7 (495) 123-45-67, ext. 1234 or 1235";
    const struct {
        std::string tel1, tel2;
        bool cut1, cut2;
    } cases[] = {
        {phone, "", false, false},  // alone: the whole row
        {phone, "2", false, false},
        {"1", phone, false, false},
        {longer, longer, true, true},  // both too long: half each, both cut
    };
    for (const auto& c : cases) {
        form->ShowAddress(Contact("x", "", "", 0, "", c.tel1, c.tel2, "", "", {}, 0));
        const QString what = ToQt(c.tel1 + " | " + c.tel2);
        QVERIFY2(form->phone1Label->Elided() == c.cut1 && form->phone2Label->Elided() == c.cut2, qPrintable(what));
        QCOMPARE(form->phone1Label->FullText(), ToQt(c.tel1));
        QCOMPARE(form->phone2Label->FullText(), ToQt(c.tel2));
        QVERIFY2(form->phone1Label->geometry().right() < form->phone2Label->geometry().left(), qPrintable(what));
    }
}

void ABookFormTest::badBirthDateKeepsTheEditorOpenAndTheFileUnchanged() {
    AddressList list;
    list.Add(MakeContact("Kept", "", Day(1980, 5, 6), 0));
    WriteContacts(list, AddressPath());
    const std::string bytes = testing::FileContents(AddressPath());
    auto form = Open();
    const std::string empty = TMaskEdit::EmptyText(TMaskEdit::Kind::Date);
    for (const bool adding : {true, false}) {
        for (const std::string& text : {std::string("31.02.2026"), std::string("00.00.0000"), empty}) {
            reports_.clear();
            if (adding) {
                QTest::mouseClick(form->addButton, Qt::LeftButton);
            } else {
                form->contactList->SetCurrentRow(0);
                QTest::mouseClick(form->editButton, Qt::LeftButton);
            }
            form->surnameEdit->SetText("typed");
            form->birthDateEdit->SetText(text);
            QTest::mouseClick(form->saveButton, Qt::LeftButton);
            QCOMPARE(reports_, std::vector<std::string>{kIncorrectDateMessage});
            QVERIFY(form->editPanel->isVisibleTo(form.get()));
            QCOMPARE(form->birthDateEdit->Text(), text);
            QCOMPARE(form->surnameEdit->Text(), std::string("typed"));
            QCOMPARE(form->Contacts().Count(), std::size_t(1));
            QCOMPARE(form->Contacts()[0].Surname, std::string("Kept"));
            QCOMPARE(form->Contacts()[0].Date, Day(1980, 5, 6));
            QTest::mouseClick(form->cancelButton, Qt::LeftButton);
        }
    }
    QVERIFY(!form->Modified);
    form->CloseForm();
    QCOMPARE(testing::FileContents(AddressPath()), bytes);
}

void ABookFormTest::searchFindsAcrossCategoriesAndReachesTheRightContact() {
    auto form = Open();
    QTest::mouseClick(form->businessTab, Qt::LeftButton);
    AddContact(*form, {"Smith", "John", "", "01.01.1970", "", "", "", "", "", {"first"}});
    AddContact(*form, {"Smith", "Jane", "", "02.02.1972", "", "", "", "", "", {"second"}});
    QTest::mouseClick(form->personalTab, Qt::LeftButton);
    AddContact(*form, {"Brown", "", "", "03.03.1973", "", "", "", "", "", {}});
    QCOMPARE(ListLines(*form), std::multiset<std::string>{"Brown"});

    QTest::mouseClick(form->searchButton, Qt::LeftButton);
    QVERIFY(form->searchPanel->isVisibleTo(form.get()));
    form->searchEdit->SetText("smith");
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    QCOMPARE(ListLines(*form), (std::multiset<std::string>{"Smith J.", "Smith J."}));

    // Each of the two equal lines opens its own contact; edit the one holding "second".
    int second = -1;
    for (int row = 0; row < 2; ++row) {
        form->contactList->SetCurrentRow(row);
        if (form->notesMemo->Lines() == StrList{"second"}) second = row;
    }
    QVERIFY(second >= 0);
    form->contactList->SetCurrentRow(second);
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    form->phone1Edit->SetText("555");
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Contacts()[1].Tel1, std::string("555"));
    QVERIFY(form->Contacts()[0].Tel1.empty());
    QCOMPARE(form->Contacts()[1].Category, kBusinessCategory);  // untouched by the edit
    QCOMPARE(ListLines(*form), std::multiset<std::string>{"Brown"});  // the tab's list again

    // Delete the other Smith from the results.
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    form->contactList->SetCurrentRow(0);
    if (form->notesMemo->Lines() != StrList{"first"}) form->contactList->SetCurrentRow(1);
    QTest::mouseClick(form->deleteButton, Qt::LeftButton);
    QCOMPARE(form->Contacts().Count(), std::size_t(2));
    QCOMPARE(form->Contacts()[0].Note, StrList{"second"});
    QCOMPARE(form->Contacts()[1].Surname, std::string("Brown"));

    // "Очистить результаты" brings back the tab's list.
    QTest::mouseClick(form->findButton, Qt::LeftButton);
    QCOMPARE(form->contactList->Count(), 1);
    QTest::mouseClick(form->clearResultsButton, Qt::LeftButton);
    QCOMPARE(ListLines(*form), std::multiset<std::string>{"Brown"});
}

void ABookFormTest::searchMatchesWholeFieldsButNotTheFirstName() {
    auto form = Open();
    AddContact(*form, {W("Петров"), "Unique", "", "15.06.1985", "", "", "", "", "", {"a note"}});
    AddContact(*form, {"Other", "", "", "06.11.1990", "", "", "", "", "", {}});
    QTest::mouseClick(form->searchButton, Qt::LeftButton);
    const auto found = [&](const std::string& pattern) {
        form->searchEdit->SetText(pattern);
        QTest::mouseClick(form->findButton, Qt::LeftButton);
        return ListLines(*form);
    };
    using Lines = std::multiset<std::string>;
    const std::string petrov = W("Петров U.");
    QCOMPARE(found(W("Петр")), Lines{});
    QCOMPARE(found(W("петр*")), Lines{petrov});
    QCOMPARE(found(W("ПЕТРОВ")), Lines{petrov});
    QCOMPARE(found("Unique"), Lines{});
    QCOMPARE(found("*1985*"), Lines{petrov});
    QCOMPARE(found(W("*июня*")), Lines{petrov});
    QCOMPARE(found("*NOTE"), Lines{petrov});
    QCOMPARE(found("*19*"), (Lines{petrov, "Other"}));
}

void ABookFormTest::editorKeepsTheContactItWasOpenedOn() {
    auto form = Open();
    AddContact(*form, {"Alpha", "", "", "01.01.2000", "", "", "", "", "", {}});
    AddContact(*form, {"Beta", "", "", "02.02.2002", "", "", "", "", "", {}});
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->contactList->SetCurrentRow(RowOf(*form, "Alpha"));
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    form->surnameEdit->SetText("Changed");
    // A click on the other contact, a tab, Delete: none reaches the list while the editor shows.
    const int beta = RowOf(*form, "Beta");
    const QPoint line = form->contactList->visualRect(form->contactList->model()->index(beta, 0)).center();
    QTest::mouseClick(form->contactList->viewport(), Qt::LeftButton, {}, line);
    QTest::mouseClick(form->personalTab, Qt::LeftButton);
    QTest::mouseClick(form->deleteButton, Qt::LeftButton);
    QCOMPARE(form->surnameEdit->Text(), std::string("Changed"));
    QCOMPARE(form->Contacts().Count(), std::size_t(2));
    QVERIFY(!form->contactList->isEnabled() && !form->editButton->isEnabled());
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QVERIFY(form->contactList->isEnabled() && form->editButton->isEnabled());
    QCOMPARE(ListLines(*form), (std::multiset<std::string>{"Changed", "Beta"}));
    QCOMPARE(form->Contacts()[0].Surname, std::string("Changed"));
    QCOMPARE(form->Contacts()[0].Date, Day(2000, 1, 1));
}

void ABookFormTest::birthdaysAcrossNewYear() {
    AddressList list;
    list.Add(MakeContact("Dec28", "", Day(1980, 12, 28), 0));
    list.Add(MakeContact("Jan05", "", Day(1975, 1, 5), 1));
    list.Add(MakeContact("a;b", "", Day(1990, 1, 2), kNoCategory));
    list.Add(MakeContact("Dec31", "", Day(2001, 12, 31), 0));
    list.Add(MakeContact("Feb29", "", Day(2000, 2, 29), 0));
    list.Add(MakeContact("Broken", "", 1e300, 0));
    WriteContacts(list, AddressPath());
    now_ = Day(2026, 12, 28) + 0.9;

    auto form = Open();
    QTest::mouseClick(form->personalTab, Qt::LeftButton);  // the tab plays no part
    const auto shown = [&] {
        std::vector<std::pair<QString, QString>> rows;
        for (int row = 0; row < form->birthdayList->Count(); ++row)
            rows.emplace_back(form->birthdayList->Cell(row, 0), form->birthdayList->Cell(row, 1));
        return rows;
    };
    using Rows = std::vector<std::pair<QString, QString>>;
    SettingsRecord.BirthdayDays = 0;
    QTest::mouseClick(form->birthdaysButton, Qt::LeftButton);
    QVERIFY(form->birthdayPanel->isVisibleTo(form.get()));
    QCOMPARE(shown(), (Rows{{"Dec28", QString::fromUtf8("Сегодня")}}));

    // The panel lies over its button: it is closed and opened again.
    QTest::mouseClick(form->closeBirthdaysButton, Qt::LeftButton);
    SettingsRecord.BirthdayDays = 7;
    QTest::mouseClick(form->birthdaysButton, Qt::LeftButton);
    QCOMPARE(shown(), (Rows{{"Dec28", QString::fromUtf8("Сегодня")},
                            {"a;b", "5"},
                            {"Dec31", "3"}}));
    QCOMPARE(form->birthdayList->columnCount(), 2);

    QTest::mouseClick(form->closeBirthdaysButton, Qt::LeftButton);
    SettingsRecord.BirthdayDays = 8;
    QTest::mouseClick(form->birthdaysButton, Qt::LeftButton);
    QCOMPARE(form->birthdayList->Count(), 4);
    QCOMPARE(form->birthdayList->Cell(1, 0), QString("Jan05"));
    QTest::mouseClick(form->closeBirthdaysButton, Qt::LeftButton);
    QVERIFY(!form->birthdayPanel->isVisibleTo(form.get()));
    QVERIFY(reports_.empty());
}

void ABookFormTest::addressesOpenOnlyWhatIsSafe() {
    auto form = Open();
    const auto open = [&](const std::string& email, const std::string& url) {
        opened_.clear();
        AddContact(*form, {"x", "", "", "", "", "", "", email, url, {}});
        form->contactList->SetCurrentRow(-1);
        form->contactList->SetCurrentRow(0);
        QTest::mouseDClick(form->emailLabel, Qt::LeftButton);
        QTest::mouseDClick(form->webLabel, Qt::LeftButton);
        std::vector<QString> targets;
        for (const QUrl& url : opened_) targets.push_back(url.toString(QUrl::FullyEncoded));
        SettingsRecord.ConfirmDelete = false;
        QTest::mouseClick(form->deleteButton, Qt::LeftButton);
        return targets;
    };
    using Targets = std::vector<QString>;
    QCOMPARE(open("a@b.ru", "https://x.ru/p"), (Targets{"mailto:a@b.ru", "https://x.ru/p"}));
    QCOMPARE(open("", ""), Targets{});
    QCOMPARE(open("a@b.ru?attach=/home/u/.ssh/id_rsa", "x.ru"),
             (Targets{"mailto:a@b.ru%3Fattach=/home/u/.ssh/id_rsa", "http://x.ru"}));
    QCOMPARE(open("mailto:a@b.ru", "file:///etc/passwd"), Targets{"mailto:a@b.ru"});
    QCOMPARE(open("", "data:text/html,x"), Targets{});
    const QUrl mail("mailto:a@b.ru%3Fattach=x");
    QVERIFY(!mail.hasQuery());  // what the mail program sees holds no header fields
}

void ABookFormTest::storedValuesTheEditorCannotShowSurviveAnEdit() {
    AddressList list;
    list.Add(
        Contact("Odd", "Name", "", 1e300, "addr", "1", "2", "e@x.ru", "x.ru", {"l1", "l2"}, 7));
    // A time of day in the date, a note of one empty line and a line break inside a phone field
    // are not what the editor shows either.
    list.Add(Contact("Plain", "", "", Day(1999, 9, 9) + 0.25, "", "1\r\n2", "", "", "", {""}, 1));
    WriteContacts(list, AddressPath());
    list[0].Tel1 = "changed";
    list[1].Surname = "Plain2";
    WriteContacts(list, folder_->File("expected.dat"));
    {
        auto form = Open();
        QCOMPARE(form->Contacts().Count(), std::size_t(2));
        form->contactList->SetCurrentRow(RowOf(*form, "Odd N."));
        QVERIFY(messages_.empty() && reports_.empty());
        QVERIFY(form->birthDateLabel->text().isEmpty());
        QVERIFY(form->ageLabel->text().isEmpty());
        QCOMPARE(form->categoryBox->currentIndex(), -1);
        QCOMPARE(form->categoryBox->placeholderText(), QString::fromUtf8("Без категории"));  // not a blank choice
        QTest::mouseClick(form->editButton, Qt::LeftButton);
        QCOMPARE(form->birthDateEdit->Text(), std::string(TMaskEdit::EmptyText(TMaskEdit::Kind::Date)));
        form->phone1Edit->SetText("changed");
        QTest::mouseClick(form->saveButton, Qt::LeftButton);
        QVERIFY(reports_.empty());

        form->contactList->SetCurrentRow(RowOf(*form, "Plain"));
        QTest::mouseClick(form->editButton, Qt::LeftButton);
        form->surnameEdit->SetText("Plain2");
        QTest::mouseClick(form->saveButton, Qt::LeftButton);
        form->CloseForm();
    }
    QCOMPARE(testing::FileContents(AddressPath()), testing::FileContents(folder_->File("expected.dat")));

    // Changing the category or the date does store them.
    auto form = Open();
    form->contactList->SetCurrentRow(RowOf(*form, "Odd N."));
    QTest::mouseClick(form->editButton, Qt::LeftButton);
    form->categoryBox->setCurrentIndex(1);
    form->birthDateEdit->SetText("02.03.1904");
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Contacts()[0].Category, kBusinessCategory);
    QCOMPARE(form->Contacts()[0].Date, Day(1904, 3, 2));
}

void ABookFormTest::deleteAnsweredNoLeavesTheFileUntouched() {
    AddressList list;
    list.Add(MakeContact("One", "", Day(1990, 1, 1), 0));
    list.Add(MakeContact("Two", "", Day(1991, 1, 1), 1));
    WriteContacts(list, AddressPath());
    const std::string before = testing::FileContents(AddressPath());
    const auto stamp = std::filesystem::last_write_time(AddressPath());
    SettingsRecord.ConfirmDelete = true;
    {
        auto form = Open();
        form->contactList->SetCurrentRow(RowOf(*form, "Two"));
        answer_ = MessageAnswer::No;
        QTest::mouseClick(form->deleteButton, Qt::LeftButton);
        QCOMPARE(messages_, std::vector<QString>{MessageString("DeleteQuestion")});
        QCOMPARE(form->Contacts().Count(), std::size_t(2));
        QVERIFY(!form->Modified);
        form->CloseForm();
    }
    QCOMPARE(testing::FileContents(AddressPath()), before);
    QCOMPARE(std::filesystem::last_write_time(AddressPath()), stamp);

    auto form = Open();
    form->contactList->SetCurrentRow(RowOf(*form, "Two"));
    answer_ = MessageAnswer::Yes;
    form->deleteItem->trigger();
    QCOMPARE(form->Contacts().Count(), std::size_t(1));
    QCOMPARE(form->Contacts()[0].Surname, std::string("One"));
    form->CloseForm();
    auto reopened = Open();
    QCOMPARE(reopened->Contacts().Count(), std::size_t(1));
    QCOMPARE(ListLines(*reopened), std::multiset<std::string>{"One"});
}

void ABookFormTest::notesPageAndTextFiles() {
    auto form = Open();
    QTest::mouseClick(form->addButton, Qt::LeftButton);
    QVERIFY(!form->notesPage->isVisibleTo(form.get()));
    QTest::mouseClick(form->notesPageTab, Qt::LeftButton);
    QVERIFY(form->notesPage->isVisibleTo(form.get()));
    QVERIFY(form->notesPageTab->HasBorder() && !form->mainPageTab->HasBorder());

    const StrList lines = {W("Заметка"), "", "end"};
    form->notesMemo->SetLines(lines);
    chosenFile_ = folder_->File("notes.txt");
    QTest::mouseClick(form->saveNotesButton, Qt::LeftButton);
    QCOMPARE(testing::FileContents(chosenFile_), std::string("Заметка\r\n\r\nend\r\n"));
    form->notesMemo->clear();
    QTest::mouseClick(form->loadNotesButton, Qt::LeftButton);
    QCOMPARE(form->notesMemo->Lines(), lines);
    QVERIFY(form->Contacts().Empty());

    QTest::mouseClick(form->mainPageTab, Qt::LeftButton);
    QVERIFY(!form->notesPage->isVisibleTo(form.get()));
    form->surnameEdit->SetText("n");
    QTest::mouseClick(form->saveButton, Qt::LeftButton);
    QCOMPARE(form->Contacts()[0].Note, lines);
}

void ABookFormTest::showingRecoloursOnceWhenAsked() {
    auto form = Open();
    SettingsRecord.WindowColor = 0x0000FF;  // red
    SettingsRecord.EditColor = 0x00FF00;    // green
    SettingsRecord.ShowHints = true;
    RecolourPending[kRecolourAddressBook] = 1;
    form->show();
    QCOMPARE(RecolourPending[kRecolourAddressBook], std::uint8_t(0));
    QCOMPARE(form->loadNotesButton->palette().color(QPalette::Button), QColor(Qt::red));
    QCOMPARE(form->saveNotesButton->palette().color(QPalette::Button), QColor(Qt::red));
    QCOMPARE(form->surnameLabel->palette().color(QPalette::Window), QColor(Qt::red));
    QCOMPARE(form->surnameEdit->palette().color(QPalette::Base), QColor(Qt::green));
    QCOMPARE(form->contactList->palette().color(QPalette::Base), QColor(Qt::green));

    // Without the flag a later show leaves the colours alone.
    form->hide();
    SettingsRecord.WindowColor = 0xFF0000;
    form->show();
    QCOMPARE(form->loadNotesButton->palette().color(QPalette::Button), QColor(Qt::red));
}

QTEST_MAIN(ABookFormTest)
#include "abook_form_test.moc"
