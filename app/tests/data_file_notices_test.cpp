// A data file that cannot be read at start-up: one notice, and the newest daily copy that
// loads offered in its place, through the program's own windows.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <thread>

#include "app/main_form.h"
#include "windows/planner/calendar_form.h"
#include "core/planner/calendar_format.h"
#include "windows/settings/backup_dialog.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "windows/settings/setup_form.h"
#include "storage/backups.h"
#include "storage/tests/scratch_dir.h"
#include "kit/convert.h"
#include "kit/interface_language.h"
#include "kit/message.h"
#include "kit/program_state.h"

using namespace pomix;
using namespace std::chrono;
using testing::FileContents;
using testing::WriteFileContents;

class DataFileNoticesTest : public QObject {
    Q_OBJECT
private slots:
    void damagedCalendarIsAnnouncedOnceAndItsNewestLoadableCopyRestoresEveryRecord();
    void settingsWindowRestoresAnyCopyAndReloadsWhatReadsIt();
    void aCopyThatCannotBeMadeIsToldInTheInterfaceLanguage();
    void aRestoreWritesAFailedSaveFirstAndRefusesWhileItStillFails();
};

namespace {

void WriteEvents(const std::string& path, int count) {
    EventList events;
    for (int i = 0; i < count; ++i) {
        events.Append(Event("event " + std::to_string(i), {"memo"}, 46000 + i, 0.5, 0, 0, 0));
    }
    MemoryStream stream;
    WriteCalendar(events, stream);
    StreamContainer container;
    SaveSingleStream(container, path, kCalendarStream, stream);
}

void WriteSettingsFile(const std::string& path, std::int32_t birthdayDays,
                       const std::string& languageFile = {}, const char* password = nullptr) {
    TSettingsRecord record;
    record.BirthdayDays = birthdayDays;
    record.LanguageFile = languageFile;
    record.CheckPassword = password != nullptr;
    if (password) record.Password = password;
    MemoryStream stream;
    WriteSettings(record, stream);
    StreamContainer container;
    SaveSingleStream(container, path, kSettingsStreamName, stream);
}

}  // namespace

// "Резервные копии…" lists every copy with its day and records; the one chosen replaces its
// file (which is kept as today's copy) and what reads that file is read again. Settings put
// back take effect at once: their language in every window, their password gate.
void DataFileNoticesTest::settingsWindowRestoresAnyCopyAndReloadsWhatReadsIt() {
    const BackupClock previousClock =
        SetBackupClock([] { return BackupDay{2026y / December / 8d}; });
    const QString russianPlanner = QString::fromUtf8("Ежедневник");
    const struct {
        const char* file;
        std::string language, copyLanguage;  // of the settings file and of its copy
        const char* copyPassword;
        std::function<void(TMainForm&)> check;  // after the restore
    } cases[] = {
        {"Calendar.dat", "", "", nullptr,
         [](TMainForm& form) {
             auto* planner = qobject_cast<TCalendarForm*>(form.Display->Window(0));
             QVERIFY(planner);
             QCOMPARE(planner->Data().Events.Count(), std::size_t(3));
             QCOMPARE(SettingsRecord.BirthdayDays, 5);
         }},
        {"Pomix.ini", "", "English.lng", "pw",
         [](TMainForm& form) {
             QCOMPARE(SettingsRecord.BirthdayDays, 12);
             QVERIFY(form.SettingsLoaded);
             QCOMPARE(InterfaceLocale().language(), QLocale::English);
             QCOMPARE(form.SectionButtons[0]->text(), QStringLiteral("Planner"));
             QVERIFY(!form.SectionsUnlocked);
             QVERIFY(form.passwordPanel->isVisible());
             QCOMPARE(form.Display->Shown(), -1);
             form.passwordEdit->setText(QStringLiteral("pw"));
             QTest::mouseClick(form.passwordButton, Qt::LeftButton);
             QVERIFY(form.SectionsUnlocked);
             QTest::mouseClick(form.SectionButtons[5], Qt::LeftButton);
             auto* setup = qobject_cast<TSettingsWindow*>(form.Display->Window(5));
             QVERIFY(setup && setup->isVisible());
             QCOMPARE(setup->backupsButton->text(), QStringLiteral("Backups…"));
         }},
        {"Pomix.ini", "English.lng", "", nullptr,
         [russianPlanner](TMainForm& form) {
             QCOMPARE(InterfaceLocale().language(), QLocale::Russian);
             QCOMPARE(form.SectionButtons[0]->text(), russianPlanner);
             QVERIFY(form.SectionsUnlocked);
             QCOMPARE(form.Display->Shown(), 5);
             QCOMPARE(form.Display->Window(5)->findChild<QPushButton*>("Button7")->text(),
                      QString::fromUtf8("Резервные копии…"));
             // The window built anew is shown in the settings' colours, as at start.
             QVERIFY(form.Display->Window(5)->testAttribute(Qt::WA_SetPalette));
             QCOMPARE(form.Display->Window(5)->palette().color(QPalette::Window),
                      ToQColor(SettingsRecord.WindowColor));
         }},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const std::string data = dir.path().toStdString() + "/Data/";
        std::filesystem::create_directories(data + "Backup");
        SetProgramDir(dir.path().toStdString());
        std::filesystem::create_directories(dir.path().toStdString() + "/Lang");
        WriteFileContents(dir.path().toStdString() + "/Lang/English.lng",
                          "[Dictionary]\r\nLanguage=en\r\n[MainForm]\r\nFormVersion=0\r\n"
                          "StaticButton1_Caption=Planner\r\n[SetupForm]\r\nFormVersion=0\r\n"
                          "Button7_Caption=Backups\x85\r\n");
        WriteSettingsFile(data + kSettingsFileName, 5, c.language);
        WriteSettingsFile(data + "Backup/Pomix.ini.2026-12-06", 12, c.copyLanguage, c.copyPassword);
        WriteEvents(data + "Calendar.dat", 5);
        WriteEvents(data + "Backup/Calendar.dat.2026-12-06", 3);
        WriteFileContents(data + "Backup/Calendar.dat.2026-12-07", "&   damaged");
        const std::string current = FileContents(data + c.file);

        QStringList questions;
        const MessagePresenter previous =
            SetMessagePresenter([&](MessageKind kind, const QString& text) {
                if (kind == MessageKind::Question) questions << text;
                return kind == MessageKind::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
            });
        TMainForm form;
        form.show();
        form.StartLoading();
        QTRY_VERIFY(form.SectionsLoaded());
        if (!c.language.empty())
            QCOMPARE(form.SectionButtons[0]->text(), QStringLiteral("Planner"));
        const QPointer<TSectionWindow> planner = form.Display->Window(0);
        form.Display->ShowWindow(5);
        auto* setup = qobject_cast<TSettingsWindow*>(form.Display->Window(5));
        QVERIFY(setup);
        QStringList shown;  // file, day, records, loads of every line
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TBackupDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            // The copies are checked beside the interface.
            if (!QTest::qWaitFor([dialog] { return !dialog->Loading(); })) return dialog->reject();
            QTreeWidget* list = dialog->copiesList;
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* line = list->topLevelItem(i);
                shown << QStringList{line->text(0), line->text(1), line->text(2), line->text(3)}
                             .join('/');
                if (line->text(0) == QLatin1String(c.file) && !line->text(2).isEmpty())
                    list->setCurrentItem(list->topLevelItem(i));
            }
            QTest::mouseClick(dialog->restoreButton, Qt::LeftButton);
        });
        setup->ShowBackups();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(questions.size(), 1);
        if (c.language.empty()) {
            QCOMPARE(shown,
                     (QStringList{"Calendar.dat/06.12.2026/3/да", "Calendar.dat/07.12.2026//нет",
                                  "Pomix.ini/06.12.2026/1/да"}));
            QVERIFY2(questions[0].startsWith(
                         QString::fromUtf8("Восстановить %1 из копии от 06.12.2026").arg(c.file)),
                     qPrintable(questions[0]));
        }
        QCOMPARE(FileContents(data + c.file),
                 FileContents(data + "Backup/" + c.file + ".2026-12-06"));
        QCOMPARE(FileContents(data + "Backup/" + c.file + ".2026-12-08"), current);
        // What reads the file reads it again beside the interface: a section's window stays and
        // follows its model's records; the settings' window is built anew.
        QTRY_VERIFY(form.SectionsLoaded());
        QCOMPARE(form.Display->Window(0), planner.data());
        c.check(form);
        SetMessagePresenter(previous);
        QVERIFY(form.close());
        SetProgramDir("");
        SettingsRecord = TSettingsRecord{};
        ApplyDictionaryLanguage();
    }
    SetBackupClock(previousClock);
}

void DataFileNoticesTest::
    damagedCalendarIsAnnouncedOnceAndItsNewestLoadableCopyRestoresEveryRecord() {
    const BackupClock previousClock =
        SetBackupClock([] { return BackupDay{2026y / December / 8d}; });
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        QTemporaryDir dir;
        const std::string data = dir.path().toStdString() + "/Data/";
        std::filesystem::create_directories(data + "Backup");
        SetProgramDir(dir.path().toStdString());
        {
            MemoryStream stream;
            WriteSettings(TSettingsRecord{}, stream);
            StreamContainer container;
            SaveSingleStream(container, data + kSettingsFileName, kSettingsStreamName, stream);
        }
        WriteEvents(data + "Backup/Calendar.dat.2026-12-05", 2);
        WriteEvents(data + "Backup/Calendar.dat.2026-12-06", 3);
        WriteFileContents(data + "Backup/Calendar.dat.2026-12-07", "&   damaged as well");
        WriteEvents(data + "Calendar.dat", 40);
        const std::string whole = FileContents(data + "Calendar.dat");
        const std::string damaged = whole.substr(0, whole.size() - 9);
        WriteFileContents(data + "Calendar.dat", damaged);

        std::vector<std::pair<MessageKind, QString>> messages;
        const MessagePresenter previous =
            SetMessagePresenter([&](MessageKind kind, const QString& text) {
                messages.emplace_back(kind, text);
                return answer;
            });
        TMainForm form;
        form.StartLoading();
        // The sections read their files beside the interface: the notice follows.
        QTRY_COMPARE(messages.size(), std::size_t(1));
        QTest::qWait(50);
        SetMessagePresenter(previous);
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].first, MessageKind::Question);
        const QString& text = messages[0].second;
        QVERIFY2(text.contains(QString::fromStdString(data + "Calendar.dat")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Calendar.dat.damaged")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("06.12.2026 (записей: 3)")), qPrintable(text));
        QTRY_VERIFY(form.SectionsLoaded());
        auto* planner = qobject_cast<TCalendarForm*>(form.Display->Window(0));
        QVERIFY(planner);
        if (answer == MessageAnswer::No) {
            QCOMPARE(FileContents(data + "Calendar.dat"), damaged);
            QVERIFY(planner->DataFileUnread());
        } else {
            QCOMPARE(FileContents(data + "Calendar.dat"),
                     FileContents(data + "Backup/Calendar.dat.2026-12-06"));
            QCOMPARE(FileContents(data + "Backup/Calendar.dat.2026-12-08"), damaged);
            QVERIFY(!planner->DataFileUnread());
            QCOMPARE(planner->Data().Events.Count(), std::size_t(3));
            for (std::size_t i = 0; i < 3; ++i) {
                QCOMPARE(planner->Data().Events[i].Name, "event " + std::to_string(i));
            }
        }
        QVERIFY(form.close());
        SetProgramDir("");
    }
    SetBackupClock(previousClock);
}

// The save that meets the problem may run on the saving thread; the message, reason and all,
// is made and shown on the interface thread, in its language, naming the place.
void DataFileNoticesTest::aCopyThatCannotBeMadeIsToldInTheInterfaceLanguage() {
    QTemporaryDir dir;
    const std::string data = dir.path().toStdString() + "/Data/";
    std::filesystem::create_directories(data);
    SetProgramDir(dir.path().toStdString());
    WriteSettingsFile(data + kSettingsFileName, 5);
    // Tests run as root, whom permissions do not stop: a file where the folder belongs does.
    WriteFileContents(data + "Backup", "not a folder");
    WriteFileContents(data + "Note.dat", "note");
    QStringList errors;
    const MessagePresenter previous =
        SetMessagePresenter([&](MessageKind kind, const QString& text) {
            if (kind == MessageKind::Error) errors << text;
            return MessageAnswer::Ok;
        });
    {
        TMainForm form;
        std::thread saving([&] { BackUpBeforeSave(data + "Note.dat"); });
        saving.join();
        QTRY_COMPARE(errors.size(), 1);
    }
    SetMessagePresenter(previous);
    SetProgramDir("");
    QCOMPARE(errors[0], QString::fromUtf8("В папку резервных копий %1 нельзя записать (на месте "
                                          "папки стоит файл с тем же именем). Копии не делаются, "
                                          "сохранение данных продолжается без них.")
                            .arg(QString::fromStdString(data + "Backup/")));
}

// A restore keeps the file it replaces, so what the window holds must be in that file first:
// a save that failed is made again, and while it still fails nothing is restored.
void DataFileNoticesTest::aRestoreWritesAFailedSaveFirstAndRefusesWhileItStillFails() {
    const BackupClock previousClock =
        SetBackupClock([] { return BackupDay{2026y / December / 8d}; });
    QTemporaryDir dir;
    const std::string data = dir.path().toStdString() + "/Data/";
    std::filesystem::create_directories(data + "Backup");
    SetProgramDir(dir.path().toStdString());
    WriteSettingsFile(data + kSettingsFileName, 5);
    WriteEvents(data + "Calendar.dat", 40);
    WriteEvents(data + "Backup/Calendar.dat.2026-12-06", 3);
    QStringList errors;
    const MessagePresenter previous =
        SetMessagePresenter([&](MessageKind kind, const QString& text) {
            if (kind == MessageKind::Error) errors << text;
            return MessageAnswer::Ok;
        });
    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    {
        TMainForm form;
        form.StartLoading();
        QTRY_VERIFY(form.SectionsLoaded());
        auto* planner = qobject_cast<TCalendarForm*>(form.Display->Window(0));
        QVERIFY(planner);
        form.Display->Window(0)->MarkChanged();
        rlimit full = old;
        full.rlim_cur = 16;  // as on a full disk
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
        form.SaveChanges();
        form.Saver().Finish();
        QVERIFY(planner->SaveFailed());
        const std::string before = FileContents(data + "Calendar.dat");
        const auto restore = TProgramState::Instance().RestoreBackup;
        const bool refused = !restore("Calendar.dat", "2026-12-06");
        ::setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(refused);
        QCOMPARE(errors.last(), MessageString("RestoreUnsaved")
                                    .arg(QString::fromStdString(data + "Calendar.dat")));
        QCOMPARE(FileContents(data + "Calendar.dat"), before);
        // Room again: the failed save is made, then the copy goes in.
        QVERIFY(restore("Calendar.dat", "2026-12-06"));
        QCOMPARE(FileContents(data + "Calendar.dat"),
                 FileContents(data + "Backup/Calendar.dat.2026-12-06"));
        QTRY_VERIFY(form.SectionsLoaded());
        QVERIFY(form.close());
    }
    std::signal(SIGXFSZ, oldHandler);
    SetMessagePresenter(previous);
    SetProgramDir("");
    SetBackupClock(previousClock);
}

QTEST_MAIN(DataFileNoticesTest)
#include "data_file_notices_test.moc"
