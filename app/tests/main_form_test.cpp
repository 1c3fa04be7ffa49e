// The main window driven headless: settings missing or damaged, the password gate, section
// switching, recolouring, the dictionary, and the shutdown with its failure rule, also when
// a signal ends the run.
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "kit/record_routine.h"
#include "windows/addressbook/abook_form.h"
#include "app/main_form.h"
#include "app/session_end.h"
#include "windows/debts/credits_form.h"
#include "windows/planner/calendar_form.h"
#include "core/settings/ini_file.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "windows/settings/setup_form.h"
#include "storage/cp1251.h"
#include "storage/errors.h"
#include "kit/convert.h"
#include "kit/message.h"
#include "kit/program_state.h"

using namespace pomix;

namespace {

// What the stand-in sections did, in order.
struct SectionLog {
    std::vector<int> closed;
    std::vector<int> reInits;
    int failAt = -1;  // this section's next close fails once
};

class RecordingSection : public TSectionWindow {
public:
    RecordingSection(int index, SectionLog& log)
        : TSectionWindow(index, "Section" + std::to_string(index), {}), index_(index), log_(log) {}

protected:
    void ReInit() override {
        log_.reInits.push_back(index_);
        TSectionWindow::ReInit();
    }
    void FormClose() override {
        if (log_.failAt == index_) {
            log_.failAt = -1;
            throw EFileError::CannotCreate("Data/Section.dat");
        }
        log_.closed.push_back(index_);
    }

private:
    int index_;
    SectionLog& log_;
};

TSettingsRecord ShippedSettings() {
    TSettingsRecord r;
    r.ShowHints = true;
    r.ConfirmDelete = true;
    r.ReservedText = std::string("\x01\x00\xFFkeep", 7);
    r.EditColor = 0x00F0F0F0;
    r.WindowColor = 0x00B09880;
    r.AccentColor = 0x00806450;
    r.ButtonTextColor = 0x00FFFFFF;
    r.EventNames = {"a", "b"};
    return r;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void missingSettingsLockTheSectionsAndCreateNoFile();
    void damagedSettingsAreShownAndLeftByteForByte();
    void damagedSettingsOfferTheNewestCopyInItsLanguage();
    void missingDictionaryIsToldOnceAndTheTextsStayRussian();
    void emptyPasswordAndEmptyFieldUnlock();
    void wrongPasswordClearsTheFieldAndEnterChecks();
    void cancelOnThePasswordPanelStillSaves();
    void selectShowsOneSectionAtATime();
    void recolourFlagsAreSetAtStartAndClearedPerWindow();
    void dictionaryIsReadOnShowAndWrittenBackAtClose();
    void programSectionsAreTheSixWindowsInIndexOrder();
    void shutdownClosesSectionsInOrderThenWritesSettings();
    void failureStopsTheShutdownAndTheNextCloseStartsAgain();
    void closeDuringTheFailureMessageStartsNoSecondShutdown();
    void signalRunsTheShutdownOnce();
    void fullDiskAtCloseKeepsTheSettingsFileAndTheProgram();
    void minimiseKeepsTheTaskBarEntryWithoutANotificationArea();
    void lookOfTheWindowWithThePasswordPanel();

private:
    QString DataFile() const { return dir_->filePath(QStringLiteral("Data/Pomix.ini")); }
    QString DataFolder() const { return dir_->filePath(QStringLiteral("Data")); }
    void WriteSettingsFile(const TSettingsRecord& record);
    TSettingsRecord ReadSettingsFile();
    TMainForm::SectionFactory Recording() {
        return [this](int index, StreamContainer&, SectionLoad) -> TSectionWindow* {
            return new RecordingSection(index, log_);
        };
    }

    std::unique_ptr<QTemporaryDir> dir_;
    SectionLog log_;
    QStringList messages_;
    MessagePresenter previous_;
};

void MainFormTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QDir(dir_->path()).mkpath(QStringLiteral("Data"));
    QDir(dir_->path()).mkpath(QStringLiteral("Lang"));
    SetProgramDir(dir_->path().toStdString());
    SettingsRecord = TSettingsRecord{};
    log_ = SectionLog{};
    messages_.clear();
    previous_ = SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_ << text;
        return MessageAnswer::Ok;
    });
}

void MainFormTest::cleanup() {
    SetMessagePresenter(previous_);
    SetProgramDir("");
    dir_.reset();
}

void MainFormTest::WriteSettingsFile(const TSettingsRecord& record) {
    MemoryStream stream;
    WriteSettings(record, stream);
    StreamContainer container;
    container.AddStream(kSettingsStreamName, &stream);
    container.SaveToFile(DataFile().toStdString());
}

TSettingsRecord MainFormTest::ReadSettingsFile() {
    StreamContainer container;
    TSettingsRecord record;
    const SettingsLoad result = LoadSettingsFile(container, DataDir(), record);
    if (result != SettingsLoad::Loaded) qWarning("settings file not readable");
    return record;
}

void MainFormTest::missingSettingsLockTheSectionsAndCreateNoFile() {
    TMainForm form(Recording());
    // The newest copy is looked for beside the interface: the notice follows the window.
    QVERIFY(messages_.isEmpty());
    form.StartLoading();
    QTRY_COMPARE(messages_,
                 QStringList{MessageString("SettingsMissing").arg(DataFile(), DataFolder())});
    QVERIFY(!form.SettingsLoaded);
    QVERIFY(!form.SectionsUnlocked);
    QVERIFY(form.passwordPanel->isHidden());
    QCOMPARE(SettingsRecord.WindowColor, TColor(0xC0C0C0));
    form.show();
    for (TStaticButton* button : form.SectionButtons) QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(form.Display->Shown(), -1);
    QVERIFY(!form.SectionButtons[0]->HasBorder());
    QVERIFY(form.close());
    QCOMPARE(log_.closed, (std::vector<int>{0, 1, 2, 3, 4, 5}));  // the sections still save
    QVERIFY(!QFile::exists(DataFile()));
}

void MainFormTest::damagedSettingsAreShownAndLeftByteForByte() {
    const QByteArray cases[] = {
        QByteArray("&\x20 this is not a container", 27),
        QByteArray(),
        QByteArray("\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\xFF\xFF\xFF\x7F", 14),
    };
    for (const QByteArray& damaged : cases) {
        {
            QFile file(DataFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(damaged);
        }
        messages_.clear();
        log_ = SectionLog{};
        TMainForm form(Recording());
        form.StartLoading();
        QTRY_COMPARE(messages_,
                     QStringList{MessageString("SettingsDamaged").arg(DataFile(), DataFolder())});
        QVERIFY(!form.SectionsUnlocked);
        form.show();
        QTest::mouseClick(form.SectionButtons[2], Qt::LeftButton);
        QCOMPARE(form.Display->Shown(), -1);
        QVERIFY(form.close());
        QCOMPARE(log_.closed.size(), std::size_t(6));
        QCOMPARE(ReadFile(DataFile()), damaged);
    }
}

// The copy's dictionary speaks for the message; No leaves the file, Yes puts the copy back
// and opens the program with it.
void MainFormTest::damagedSettingsOfferTheNewestCopyInItsLanguage() {
    QFile english(dir_->filePath(QStringLiteral("Lang/English.lng")));
    QVERIFY(english.open(QIODevice::WriteOnly));
    english.write(
        "[Dictionary]\r\nLanguage=en\r\n\r\n[Messages]\r\nFormVersion=0\r\n"
        "SettingsDamaged_Caption=Damaged %1 in %2\r\nSettingsRestoreOffer_Caption=Restore %1?\r\n");
    english.close();
    TSettingsRecord copied = ShippedSettings();
    copied.LanguageFile = "English.lng";
    copied.BirthdayDays = 12;
    WriteSettingsFile(copied);
    QVERIFY(QDir(DataFolder()).mkpath(QStringLiteral("Backup")));
    QVERIFY(
        QFile::rename(DataFile(), DataFolder() + QStringLiteral("/Backup/Pomix.ini.2026-12-01")));
    const QByteArray damaged("not a settings file");
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        {
            QFile file(DataFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(damaged);
        }
        SettingsRecord = TSettingsRecord{};
        messages_.clear();
        SetMessagePresenter([this, answer](MessageKind kind, const QString& text) {
            messages_ << text;
            return kind == MessageKind::Question ? answer : MessageAnswer::Ok;
        });
        TMainForm form(Recording());
        form.StartLoading();
        QTRY_COMPARE(messages_.size(), 1);
        const QString start =
            QStringLiteral("Damaged %1 in %2\n\nRestore ").arg(DataFile(), DataFolder());
        QVERIFY2(messages_[0].startsWith(start), qPrintable(messages_[0]));
        const bool restored = answer == MessageAnswer::Yes;
        QCOMPARE(form.SettingsLoaded, restored);
        QCOMPARE(form.SectionsUnlocked, restored);
        QCOMPARE(SettingsRecord.BirthdayDays, restored ? 12 : TSettingsRecord{}.BirthdayDays);
        if (!restored) QCOMPARE(ReadFile(DataFile()), damaged);
    }
}

void MainFormTest::missingDictionaryIsToldOnceAndTheTextsStayRussian() {
    QFile binary(dir_->filePath(QStringLiteral("Lang/Binary.lng")));
    QVERIFY(binary.open(QIODevice::WriteOnly));
    binary.write(QByteArray("[MainForm]\0\x01", 12));
    binary.close();
    for (const char* name : {"Gone.lng", "Binary.lng"}) {
        TSettingsRecord settings = ShippedSettings();
        settings.LanguageFile = name;
        WriteSettingsFile(settings);
        messages_.clear();
        TMainForm form(Recording());
        form.show();
        form.Display->ShowWindow(2);
        const QString path = dir_->filePath(QStringLiteral("Lang/") + QLatin1String(name));
        QCOMPARE(messages_, QStringList{MessageString("DictionaryMissing").arg(path)});
        QVERIFY(messages_[0].startsWith(QString::fromUtf8("Словарь ")));
        QCOMPARE(form.passwordTitle->text(), QString::fromUtf8("Введите пароль"));
        QVERIFY(form.SectionsUnlocked);
    }
}

void MainFormTest::emptyPasswordAndEmptyFieldUnlock() {
    TSettingsRecord settings = ShippedSettings();
    settings.CheckPassword = true;
    WriteSettingsFile(settings);
    TMainForm form(Recording());
    QVERIFY(messages_.isEmpty());
    QVERIFY(form.SettingsLoaded);
    QVERIFY(!form.SectionsUnlocked);
    QVERIFY(!form.passwordPanel->isHidden());
    QVERIFY(TProgramState::Instance().IsPasswordPending());  // the reminder waits for it
    QTest::mouseClick(form.SectionButtons[1], Qt::LeftButton);
    QCOMPARE(form.Display->Shown(), -1);  // locked while the panel is up
    QTest::mouseClick(form.passwordButton, Qt::LeftButton);
    QVERIFY(form.SectionsUnlocked);
    QVERIFY(form.passwordPanel->isHidden());
    QVERIFY(!TProgramState::Instance().IsPasswordPending());
    QTest::mouseClick(form.SectionButtons[1], Qt::LeftButton);
    QCOMPARE(form.Display->Shown(), 1);
}

void MainFormTest::wrongPasswordClearsTheFieldAndEnterChecks() {
    TSettingsRecord settings = ShippedSettings();
    settings.CheckPassword = true;
    settings.Password = Utf8ToCp1251(" Пароль ");  // blanks are part of it
    WriteSettingsFile(settings);
    TMainForm form(Recording());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QString attempts[] = {QStringLiteral("Пароль"), QStringLiteral(" пароль "), QStringLiteral("x")};
    for (const QString& attempt : attempts) {
        form.passwordEdit->setText(attempt);
        QTest::mouseClick(form.passwordButton, Qt::LeftButton);
        QVERIFY(form.passwordEdit->text().isEmpty());
        QVERIFY(!form.SectionsUnlocked);
    }
    QVERIFY(messages_.isEmpty());  // no message for a wrong password
    QCOMPARE(form.passwordEdit->echoMode(), QLineEdit::Password);
    form.passwordEdit->setFocus();
    form.passwordEdit->setText(QStringLiteral(" Пароль "));  // typed text: keyClicks takes ASCII only
    QTest::keyClick(form.passwordEdit, Qt::Key_Return);
    QVERIFY(form.SectionsUnlocked);
    QVERIFY(form.passwordPanel->isHidden());
}

void MainFormTest::cancelOnThePasswordPanelStillSaves() {
    TSettingsRecord settings = ShippedSettings();
    settings.CheckPassword = true;
    settings.Password = "secret";
    WriteSettingsFile(settings);
    TMainForm form(Recording());
    form.show();
    SettingsRecord.OverdueMark = "!!";  // a change in memory reaches the file at close
    QTest::mouseClick(form.quitButton, Qt::LeftButton);
    QVERIFY(form.ShutdownDone());
    QVERIFY(!form.isVisible());
    QCOMPARE(log_.closed, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    const TSettingsRecord written = ReadSettingsFile();
    QCOMPARE(written.OverdueMark, std::string("!!"));
    QCOMPARE(written.ReservedText, settings.ReservedText);
    QCOMPARE(written.Password, std::string("secret"));
}

void MainFormTest::selectShowsOneSectionAtATime() {
    WriteSettingsFile(ShippedSettings());
    TMainForm form(Recording());
    form.show();
    QVERIFY(form.SectionsUnlocked);
    QTest::mouseClick(form.SectionButtons[2], Qt::LeftButton);
    QCOMPARE(form.Display->Shown(), 2);
    QVERIFY(form.Display->Window(2)->isVisible());
    QVERIFY(form.SectionButtons[2]->HasBorder());
    QCOMPARE(form.Display->Window(2)->geometry(), QRect(6, 20, 514, 360));
    QCOMPARE(log_.reInits, std::vector<int>{2});

    QTest::mouseClick(form.SectionButtons[2], Qt::LeftButton);  // the same one: nothing
    QCOMPARE(log_.reInits, std::vector<int>{2});

    QTest::mouseClick(form.SectionButtons[4], Qt::LeftButton);
    QCOMPARE(form.Display->Shown(), 4);
    QVERIFY(!form.Display->Window(2)->isVisible());
    QVERIFY(form.Display->Window(4)->isVisible());
    QVERIFY(!form.SectionButtons[2]->HasBorder());
    QVERIFY(form.SectionButtons[4]->HasBorder());
    QVERIFY(log_.closed.empty());  // hidden, not closed: nothing saved
    QTest::mouseClick(form.SectionButtons[2], Qt::LeftButton);
    QCOMPARE(log_.reInits, (std::vector<int>{2, 4, 2}));
}

void MainFormTest::recolourFlagsAreSetAtStartAndClearedPerWindow() {
    const TSettingsRecord settings = ShippedSettings();
    WriteSettingsFile(settings);
    RecolourPending.fill(0);
    TMainForm form(Recording());
    for (std::uint8_t flag : RecolourPending) QCOMPARE(flag, std::uint8_t(1));
    form.show();
    QCOMPARE(RecolourPending[kRecolourMain], std::uint8_t(0));
    QCOMPARE(form.LeftPanel->StartColor(), ToQColor(settings.WindowColor));
    QCOMPARE(form.LeftPanel->EndColor(), ToQColor(settings.AccentColor));
    QCOMPARE(form.Display->Background()->EndColor(), ToQColor(settings.AccentColor));
    QCOMPARE(form.SectionButtons[0]->palette().color(QPalette::Window), ToQColor(settings.AccentColor));
    QCOMPARE(form.SectionButtons[0]->palette().color(QPalette::WindowText), ToQColor(settings.ButtonTextColor));
    QCOMPARE(form.passwordEdit->palette().color(QPalette::Base), ToQColor(settings.EditColor));
    QCOMPARE(RecolourPending[kRecolourNotes], std::uint8_t(1));
    QTest::mouseClick(form.SectionButtons[2], Qt::LeftButton);
    QCOMPARE(RecolourPending[kRecolourNotes], std::uint8_t(0));
    QCOMPARE(RecolourPending[kRecolourPlanner], std::uint8_t(1));
    QCOMPARE(RecolourPending[kRecolourDatePicker], std::uint8_t(1));

    // The settings window's apply: new colours, every flag set, the main window at once.
    SettingsRecord.AccentColor = 0x00112233;
    SetAllRecolourPending();
    form.ApplyColours();
    QCOMPARE(form.LeftPanel->EndColor(), ToQColor(0x00112233));
    QCOMPARE(RecolourPending[kRecolourMain], std::uint8_t(0));
    QCOMPARE(RecolourPending[kRecolourNotes], std::uint8_t(1));
}

void MainFormTest::dictionaryIsReadOnShowAndWrittenBackAtClose() {
    TSettingsRecord settings = ShippedSettings();
    settings.LanguageFile = "../Lang/Test.lng";  // only the file name counts
    WriteSettingsFile(settings);
    const QString dictionary = dir_->filePath(QStringLiteral("Lang/Test.lng"));
    {
        QFile file(dictionary);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Utf8ToCp1251("; my dictionary\r\n[mainform]\r\nStaticButton3_Caption=  Notes  \r\n"
                                "text2_caption=Password\r\n")
                       .c_str());
    }
    QFile::copy(dictionary, dir_->filePath(QStringLiteral("Data/Test.lng")));  // must stay untouched
    TMainForm form(Recording());
    QVERIFY(form.Binding().FormStorage1.Active());
    QCOMPARE(form.SectionButtons[2]->text(), QStringLiteral("Заметки"));
    form.show();
    QCOMPARE(form.SectionButtons[2]->text(), QStringLiteral("Notes"));
    QCOMPARE(form.passwordTitle->text(), QStringLiteral("Password"));
    QCOMPARE(form.SectionButtons[0]->text(), QStringLiteral("Ежедневник"));
    QVERIFY(form.close());

    const IniFile file(dictionary.toStdString());
    QCOMPARE(file.ReadString("MainForm", "FormVersion", "?"), std::string("0"));
    const std::vector<std::string> keys = {"StaticButton1_Caption", "StaticButton1_Hint", "StaticButton6_Caption",
                                           "StaticButton6_Hint", "Button1_Caption", "Button1_Hint",
                                           "Button2_Caption", "Button2_Hint", "Text2_Caption"};
    for (const std::string& key : keys) QVERIFY2(file.ReadString("MainForm", key, "?") != "?", key.c_str());
    QCOMPARE(ToQt(file.ReadString("MainForm", "StaticButton3_Caption", "?")), QStringLiteral("Notes"));
    QCOMPARE(ToQt(file.ReadString("MainForm", "StaticButton5_Caption", "?")), QStringLiteral("Долговая книга"));
    QVERIFY(file.Text().find("; my dictionary") != std::string::npos);
    QCOMPARE(ReadFile(dir_->filePath(QStringLiteral("Data/Test.lng"))),
             QByteArray(Utf8ToCp1251("; my dictionary\r\n[mainform]\r\nStaticButton3_Caption=  Notes  \r\n"
                                     "text2_caption=Password\r\n")
                            .c_str()));
}

void MainFormTest::programSectionsAreTheSixWindowsInIndexOrder() {
    WriteSettingsFile(ShippedSettings());
    {
        AddressList contacts;
        contacts.Add(Contact(Utf8ToCp1251("Петров"), Utf8ToCp1251("Иван"), "", 0, "", "", "", "",
                             "", {}, 0));
        StreamContainer container;
        SectionFile file(container, DataDir() + kAddressFileName, kAddressStreamName);
        SaveAddressList(file, contacts, true);
    }
    TMainForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Pomix"));
    QCOMPARE(form.size(), QSize(640, 400));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.trayIcon->toolTip(), QStringLiteral("Pomix"));
    const char* classes[] = {"pomix::TCalendarForm", "pomix::TABookForm",
                             "pomix::TNoteForm",     "pomix::TCatalogForm",
                             "pomix::TCreditsForm",  "pomix::TSettingsWindow"};
    const char* captions[] = {"Ежедневник", "Записная книжка", "Заметки", "Каталог", "Долговая книга", "Настройки"};
    QCOMPARE(form.Display->Count(), kSectionCount);
    for (int i = 0; i < kSectionCount; ++i) {
        QCOMPARE(form.Display->Window(i)->metaObject()->className(), classes[i]);
        QCOMPARE(form.Display->Window(i)->size(), QSize(514, 360));
        QVERIFY(form.Display->Window(i)->isHidden());
        QCOMPARE(form.SectionButtons[static_cast<std::size_t>(i)]->Tag, i);
        QCOMPARE(form.SectionButtons[static_cast<std::size_t>(i)]->text(), QString::fromUtf8(captions[i]));
        QCOMPARE(form.SectionButtons[static_cast<std::size_t>(i)]->geometry(), QRect(6, 8 + 20 * i, 100, 15));
    }
    // The records arrive after the window is made.
    form.StartLoading();
    QTRY_VERIFY(form.Display->Window(1)->Loaded() && form.Display->Window(4)->Loaded());
    // The debt book offers the names of the address book's contacts. Its editor, left open
    // while a contact is added, offers the new name when the debt book is shown again.
    auto* addressBook = qobject_cast<TABookForm*>(form.Display->Window(1));
    auto* debts = qobject_cast<TCreditsForm*>(form.Display->Window(4));
    form.show();
    QTest::mouseClick(form.SectionButtons[4], Qt::LeftButton);
    debts->recordRoutine->Add();
    debts->debtorBox->SetText("typed");
    QCOMPARE(debts->debtorBox->Items(), StrList{Utf8ToCp1251("Петров И.")});
    QTest::mouseClick(form.SectionButtons[1], Qt::LeftButton);
    QTest::mouseClick(addressBook->addButton, Qt::LeftButton);
    addressBook->surnameEdit->SetText("Adams");
    QTest::mouseClick(addressBook->saveButton, Qt::LeftButton);
    QTest::mouseClick(form.SectionButtons[4], Qt::LeftButton);
    QCOMPARE(debts->debtorBox->Items(), (StrList{"Adams", Utf8ToCp1251("Петров И.")}));
    QCOMPARE(debts->debtorBox->Text(), std::string("typed"));
    QTest::mouseClick(form.SectionButtons[5], Qt::LeftButton);
    QVERIFY(qobject_cast<TSettingsWindow*>(form.Display->Window(form.Display->Shown())));
    QVERIFY(form.close());
}

void MainFormTest::shutdownClosesSectionsInOrderThenWritesSettings() {
    WriteSettingsFile(ShippedSettings());
    TMainForm form(Recording());
    form.show();
    QTest::mouseClick(form.SectionButtons[3], Qt::LeftButton);
    SettingsRecord.BirthdayDays = 42;
    QVERIFY(form.close());
    QCOMPARE(log_.closed, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    QCOMPARE(ReadSettingsFile().BirthdayDays, 42);
    QVERIFY(messages_.isEmpty());
    QVERIFY(form.Shutdown());  // done once: nothing runs again
    QCOMPARE(log_.closed.size(), std::size_t(6));
}

void MainFormTest::failureStopsTheShutdownAndTheNextCloseStartsAgain() {
    WriteSettingsFile(ShippedSettings());
    const QByteArray before = ReadFile(DataFile());
    TMainForm form(Recording());
    form.show();
    for (int i = 0; i < kSectionCount; ++i)
        form.Display->Window(i)->FileName = "/data/S" + std::to_string(i);
    form.Display->Window(4)->Modified = true;  // waits behind the failure: named
    form.Display->ShowWindow(1);               // closed before the failure, shown again after
    log_.failAt = 3;
    SettingsRecord.BirthdayDays = 7;
    QSignalSpy done(&TProgramState::Instance(), &TProgramState::shutdownDone);
    QVERIFY(!form.close());
    QVERIFY(!TProgramState::Instance().IsShutdownBegun());  // the program goes on
    QCOMPARE(done.count(), 0);
    const QString unsaved = QStringLiteral("/data/S3 (%1)\n/data/S4\n%2")
                                .arg(MessageString("ReasonNoAccess"), DataFile());
    QCOMPARE(messages_, QStringList{MessageString("ShutdownSaveFailed").arg(unsaved)});
    QVERIFY(form.Display->Window(1)->isVisible());
    QCOMPARE(log_.closed, (std::vector<int>{0, 1, 2}));
    QCOMPARE(ReadFile(DataFile()), before);  // the settings were not written
    QVERIFY(form.isVisible());
    QVERIFY(!form.ShutdownDone());

    QVERIFY(form.close());
    QCOMPARE(log_.closed, (std::vector<int>{0, 1, 2, 0, 1, 2, 3, 4, 5}));
    QVERIFY(TProgramState::Instance().IsShutdownBegun());
    QCOMPARE(done.count(), 1);
    QCOMPARE(ReadSettingsFile().BirthdayDays, 7);
}

void MainFormTest::closeDuringTheFailureMessageStartsNoSecondShutdown() {
    WriteSettingsFile(ShippedSettings());
    TMainForm form(Recording());
    form.show();
    log_.failAt = 1;
    int nested = -1;
    // While the failure's message box is up, a second close and the quit's shutdown arrive.
    bool begun = false;
    SetMessagePresenter([&](MessageKind, const QString&) {
        begun = TProgramState::Instance().IsShutdownBegun();
        form.close();
        nested = form.Shutdown() ? 1 : 0;
        return MessageAnswer::Ok;
    });
    QVERIFY(!form.close());
    QCOMPARE(nested, 0);
    QVERIFY(begun);  // no reminder runs under the failure's message
    QCOMPARE(log_.closed, std::vector<int>{0});
    QVERIFY(form.isVisible());
    QVERIFY(form.close());
    QCOMPARE(log_.closed, (std::vector<int>{0, 0, 1, 2, 3, 4, 5}));
}

void MainFormTest::signalRunsTheShutdownOnce() {
    WriteSettingsFile(ShippedSettings());
    TMainForm form(Recording());
    TSessionEnd sessionEnd(form);
    form.show();
    SettingsRecord.ReminderLead = 30;
    ::raise(SIGTERM);
    QTRY_VERIFY(form.ShutdownDone());
    QCOMPARE(log_.closed, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    QCOMPARE(ReadSettingsFile().ReminderLead, 30);
    QVERIFY(!form.isVisible());

    ::raise(SIGHUP);
    ::raise(SIGINT);
    QTest::qWait(100);
    QCOMPARE(log_.closed.size(), std::size_t(6));
}

// The disk is full when the program closes: the settings file keeps its earlier bytes, no
// temporary is left beside it, the error is shown and the program goes on; once there is
// room again the next close saves.
void MainFormTest::fullDiskAtCloseKeepsTheSettingsFileAndTheProgram() {
    WriteSettingsFile(ShippedSettings());
    const QByteArray before = ReadFile(DataFile());
    TMainForm form(Recording());
    form.show();
    SettingsRecord.BirthdayDays = 9;

    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = old;
    full.rlim_cur = 16;  // no file may grow past 16 bytes, as on a full disk
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
    const bool closed = form.close();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!closed);
    // The day's copy of the settings file cannot be made either, and says so first.
    QCOMPARE(messages_.size(), 2);
    QVERIFY2(messages_[0].contains(DataFile()), qPrintable(messages_[0]));
    QCOMPARE(messages_[1],
             MessageString("ShutdownSaveFailed")
                 .arg(DataFile() + QStringLiteral(" (%1)").arg(MessageString("ReasonDiskFull"))));
    QCOMPARE(ReadFile(DataFile()), before);
    const QStringList saving = QDir(dir_->filePath(QStringLiteral("Data")))
                                   .entryList({QStringLiteral("Pomix.ini?*")}, QDir::Files | QDir::Hidden);
    QVERIFY2(saving.isEmpty(), qPrintable(saving.join(' ')));
    QVERIFY(form.isVisible());
    QVERIFY(!form.ShutdownDone());

    QVERIFY(form.close());
    QCOMPARE(ReadSettingsFile().BirthdayDays, 9);
}

void MainFormTest::minimiseKeepsTheTaskBarEntryWithoutANotificationArea() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) QSKIP("this desktop has a notification area");
    WriteSettingsFile(ShippedSettings());
    TMainForm form(Recording());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.showMinimized();
    QTest::qWait(50);
    QVERIFY(form.isVisible());  // hiding it would leave no way back
    form.BringForward();
    QVERIFY(!form.isMinimized());
    QVERIFY(form.isVisible());
}

void MainFormTest::lookOfTheWindowWithThePasswordPanel() {
    TSettingsRecord settings = ShippedSettings();
    settings.CheckPassword = true;
    WriteSettingsFile(settings);
    TMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage image = form.grab().toImage();
    // Kept for a look by eye; the checks below are what the test asserts.
    image.save(QDir::temp().filePath(QStringLiteral("pomix-main-window.png")));
    QCOMPARE(image.size(), QSize(640, 400));
    // Both gradients run from the window colour at the top to the accent colour at the bottom.
    QCOMPARE(image.pixelColor(2, 0), ToQColor(settings.WindowColor));
    QCOMPARE(image.pixelColor(2, 399), ToQColor(settings.AccentColor));
    QCOMPARE(image.pixelColor(630, 0), ToQColor(settings.WindowColor));
    QCOMPARE(image.pixelColor(630, 399), ToQColor(settings.AccentColor));
    // A section button is an accent strip; the password panel sits in the display's middle.
    QCOMPARE(image.pixelColor(8, 10), ToQColor(settings.AccentColor));
    const QPoint panel = form.passwordPanel->mapTo(&form, QPoint(0, 0));
    QCOMPARE(QRect(panel, form.passwordPanel->size()).center(), QRect(113, 0, 527, 400).center());
    QCOMPARE(image.pixelColor(panel + QPoint(4, 8)), ToQColor(settings.AccentColor));  // its title strip

    // Unlocked (the password is empty), a section fills the display with the window colour.
    QTest::mouseClick(form.passwordButton, Qt::LeftButton);
    QTest::mouseClick(form.SectionButtons[2], Qt::LeftButton);
    const QImage section = form.grab().toImage();
    section.save(QDir::temp().filePath(QStringLiteral("pomix-main-window-notes.png")));
    QCOMPARE(section.pixelColor(113 + 6 + 257, 20 + 180), ToQColor(settings.WindowColor));
    QCOMPARE(section.pixelColor(113 + 2, 399), ToQColor(settings.AccentColor));  // the display's gradient
}

QTEST_MAIN(MainFormTest)
#include "main_form_test.moc"
