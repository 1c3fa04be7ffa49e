// The sync from the window against a real Radicale (started by sync/tests/dav_servers.sh):
// the options typed on the settings page, "Синхронизировать" pressed, the status line and the
// planner showing the merged events; another device's event and a local change meeting on the
// server after a save; a wrong password told in the status line and by one notification, with
// nothing changed here. No secret store answers, as on a headless machine.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

#include "windows/addressbook/abook_form.h"
#include "app/main_form.h"
#include "windows/planner/calendar_form.h"
#include "core/planner/calendar_format.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "windows/settings/setup_form.h"
#include "storage/section_file.h"
#include "sync/http.h"
#include "sync/state.h"
#include "kit/convert.h"
#include "kit/message.h"
#include "kit/notifier.h"
#include "kit/secret_store.h"

using namespace pomix;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Radicale's address from the script's "name url calendar-home addressbook-home;…".
std::string RadicaleUrl() {
    std::istringstream servers(Env("POMIX_TEST_DAV"));
    std::string name, url;
    servers >> name >> url;
    return name == "radicale" ? url : "";
}

std::string Cp(const char* utf8) {
    return FromQt(QString::fromUtf8(utf8));
}

DateTime Day(int y, int m, int d) {
    DateTime day = 0;
    TryEncodeDate(y, m, d, day);
    return day;
}

bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QStringList Titles(TCalendarForm& planner) {
    QStringList titles;
    for (const Event& e : planner.Data().Events) titles << ToQt(e.Name);
    titles.sort();
    return titles;
}

}  // namespace

class SyncWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pageSyncShowsStatusAndMergedEvents();
    void wrongPasswordIsToldOnceAndChangesNothing();
    void keyIntervalAndOpenEditor();

private:
    // The program over the scratch folder, its records in, the options typed on the page.
    std::unique_ptr<TMainForm> Open(const std::string& password);
    TCalendarForm& Planner() { return *static_cast<TCalendarForm*>(form_->Display->Window(0)); }
    TSettingsWindow& Settings() {
        return *static_cast<TSettingsWindow*>(form_->Display->Window(5));
    }
    // Presses "Синхронизировать" and waits until the sync has ended.
    void PressSync();

    // Another device adds an event to the calendar Pomix syncs with.
    void PhoneAdds(const char* uid, const char* summary);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TMainForm> form_;
    QStringList notices_;
    QStringList messages_;
    int storeWrites_ = 0;
};

void SyncWindowTest::init() {
    if (RadicaleUrl().empty()) QSKIP("no Radicale: run under sync/tests/dav_servers.sh");
    dir_ = std::make_unique<QTemporaryDir>();
    QDir(dir_->path()).mkpath(QStringLiteral("Data"));
    SetProgramDir(dir_->path().toStdString() + "/");
    SettingsRecord = TSettingsRecord{};
    {
        MemoryStream stream;
        WriteSettings(SettingsRecord, stream);
        StreamContainer container;
        container.AddStream(kSettingsStreamName, &stream);
        container.SaveToFile(DataDir() + kSettingsFileName);
    }
    // One event here before the first sync.
    EventList events;
    events.Append(Event(Cp("Здесь: встреча"), {}, Day(2026, 12, 10), EncodeTime(9, 0), 1, 0, 0));
    StreamContainer c;
    c.Compressed = true;
    SectionFile(c, DataDir() + kCalendarFile, kCalendarStream)
        .SaveList(events, true, WriteCalendar);
    // No secret store, as on a headless machine; answered later, as the real one does.
    SetSecretStore({[](const QString&, SecretReply reply) {
                        QTimer::singleShot(0, [reply] { reply(SecretOutcome::NoStore, {}); });
                    },
                    [this](const QString&, const QString&, SecretReply reply) {
                        ++storeWrites_;
                        QTimer::singleShot(0, [reply] { reply(SecretOutcome::NoStore, {}); });
                    }});
    SetNotifier([this](const QString& title, const QString& text) {
        notices_ << title + ": " + text;
        return true;
    });
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_ << text;
        return MessageAnswer::Ok;
    });
}

void SyncWindowTest::cleanup() {
    form_.reset();
    SetSecretStore({});
    SetNotifier({});
    SetMessagePresenter({});
    SetProgramDir("");
    dir_.reset();
}

std::unique_ptr<TMainForm> SyncWindowTest::Open(const std::string& password) {
    auto form = std::make_unique<TMainForm>(TMainForm::ProgramSections());
    form->show();
    form->StartLoading();
    if (!WaitFor([&] { return form->SectionsLoaded(); }, 10000)) return nullptr;
    auto& settings = *static_cast<TSettingsWindow*>(form->Display->Window(5));
    settings.syncServerEdit->setText(QString::fromStdString(RadicaleUrl()));
    settings.syncUserEdit->setText(QString::fromStdString(Env("POMIX_TEST_DAV_USER")));
    settings.syncPasswordEdit->setText(QString::fromStdString(password));
    return form;
}

void SyncWindowTest::PressSync() {
    QSignalSpy ended(form_->Sync(), &TSyncControl::ended);
    QTest::mouseClick(Settings().syncButton, Qt::LeftButton);
    QVERIFY(WaitFor([&] { return !ended.isEmpty(); }));
    QVERIFY(WaitFor([&] { return !form_->Sync()->Running() && form_->Saver().Pending() == 0; }));
}

void SyncWindowTest::pageSyncShowsStatusAndMergedEvents() {
    form_ = Open(Env("POMIX_TEST_DAV_PASSWORD"));
    QVERIFY(form_);
    PressSync();
    const QString status = Settings().syncStatus->text();
    QVERIFY2(status.startsWith(QStringLiteral("Синхронизировано ")), qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral("на сервере: +1,")), qPrintable(status));
    QVERIFY2(status.endsWith(Settings().syncTexts.noStore->Text), qPrintable(status));
    QCOMPARE(storeWrites_, 1);  // the password was offered to the store, and is not in a file
    const sync::SyncSettings saved = sync::LoadSyncSettings(DataDir());
    QCOMPARE(saved.Server, RadicaleUrl());
    for (const char* file : {sync::kSettingsFileName, sync::kMapFileName}) {
        QFile f(QString::fromStdString(DataDir() + file));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(!f.readAll().contains(Env("POMIX_TEST_DAV_PASSWORD").c_str()));
    }
    QVERIFY(notices_.isEmpty());

    // Another device adds an event to the calendar Pomix made.
    sync::MapStatus map;
    const std::string calendar = sync::LoadState(DataDir(), map).Events.Url;
    QVERIFY(!calendar.empty());
    sync::HttpConnection phone(
        {RadicaleUrl(), Env("POMIX_TEST_DAV_USER"), Env("POMIX_TEST_DAV_PASSWORD"), false});
    const sync::HttpResponse put = phone.Request(
        "PUT", calendar + "phone-1.ics",
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VEVENT\r\nUID:phone-1\r\n"
        "DTSTAMP:20261201T000000Z\r\nDTSTART:20261210T140000\r\nSUMMARY:С телефона: обед\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n",
        {"Content-Type: text/calendar; charset=utf-8", "If-None-Match: *"});
    QVERIFY2(put.Status == 201 || put.Status == 204, qPrintable(QString::number(put.Status)));

    // A change here is saved, and a few seconds later the sync takes both ways.
    QSignalSpy ended(form_->Sync(), &TSyncControl::ended);
    TCalendarForm& planner = Planner();
    planner.SetSelectedDay(Day(2026, 12, 10));
    planner.Add();
    planner.titleBox->setEditText(QStringLiteral("Здесь: звонок"));
    planner.timeEdit->setText(QStringLiteral("18:00"));
    QTest::mouseClick(planner.saveButton, Qt::LeftButton);
    QVERIFY(WaitFor([&] { return !ended.isEmpty(); }));
    QVERIFY(WaitFor([&] { return !form_->Sync()->Running() && form_->Saver().Pending() == 0; }));
    QCOMPARE(Titles(planner), QStringList({"Здесь: встреча", "Здесь: звонок", "С телефона: обед"}));
    QStringList day;
    for (int row = 0; row < planner.dayList->count(); ++row)
        day << planner.dayList->item(row)->text();
    QVERIFY2(day.contains(QStringLiteral("14:00 С телефона: обед")), qPrintable(day.join('|')));
    // The data file holds the merged list; the server holds the change made here.
    EventList onDisk;
    StreamContainer c;
    SectionFile(c, DataDir() + kCalendarFile, kCalendarStream).LoadList(onDisk, ReadCalendar);
    QCOMPARE(onDisk.Count(), 3u);
    const sync::HttpResponse all = phone.Request(
        "REPORT", calendar,
        "<?xml version=\"1.0\"?><C:calendar-query xmlns:D=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop><C:calendar-data/></D:prop>"
        "<C:filter><C:comp-filter name=\"VCALENDAR\"/></C:filter></C:calendar-query>",
        {"Depth: 1", "Content-Type: application/xml"});
    QVERIFY(QString::fromStdString(all.Body).contains(QStringLiteral("SUMMARY:Здесь: звонок")));
    QVERIFY2(Settings().syncStatus->text().contains(QStringLiteral("Здесь: +1,")),
             qPrintable(Settings().syncStatus->text()));
    QVERIFY(notices_.isEmpty());
}

void SyncWindowTest::wrongPasswordIsToldOnceAndChangesNothing() {
    form_ = Open("not-the-password");
    QVERIFY(form_);
    const QByteArray before = [] {
        QFile f(QString::fromStdString(DataDir() + kCalendarFile));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    PressSync();
    PressSync();  // the same failure again: the status says it, no second notification
    const QString status = Settings().syncStatus->text();
    QVERIFY2(status.contains(QStringLiteral("неверное имя пользователя или пароль")),
             qPrintable(status));
    QCOMPARE(notices_.size(), 1);
    QVERIFY(notices_[0].contains(QStringLiteral("неверное имя пользователя или пароль")));
    QVERIFY(!notices_[0].contains(QStringLiteral("not-the-password")));
    QCOMPARE(Titles(Planner()), QStringList({"Здесь: встреча"}));
    QFile f(QString::fromStdString(DataDir() + kCalendarFile));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void SyncWindowTest::PhoneAdds(const char* uid, const char* summary) {
    sync::MapStatus map;
    const std::string calendar = sync::LoadState(DataDir(), map).Events.Url;
    QVERIFY(!calendar.empty());
    sync::HttpConnection phone(
        {RadicaleUrl(), Env("POMIX_TEST_DAV_USER"), Env("POMIX_TEST_DAV_PASSWORD"), false});
    const sync::HttpResponse put = phone.Request(
        "PUT", calendar + uid + ".ics",
        std::string("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VEVENT\r\n"
                    "UID:") + uid + "\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261210T140000\r\n"
                    "SUMMARY:" + summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
        {"Content-Type: text/calendar; charset=utf-8", "If-None-Match: *"});
    QVERIFY2(put.Status == 201 || put.Status == 204, qPrintable(QString::number(put.Status)));
}

// F9 syncs; the interval typed on the page arms the timer and 0 stops it; a sync that meets an
// open editor waits for it, and the record typed there is neither lost nor run over; the plain
// http box goes to Sync.ini.
void SyncWindowTest::keyIntervalAndOpenEditor() {
    form_ = Open(Env("POMIX_TEST_DAV_PASSWORD"));
    QVERIFY(form_);
    Settings().syncIntervalEdit->SetText("7");
    PressSync();
    QCOMPARE(form_->Sync()->IntervalMs(), 7 * 60'000);
    // The calendar is the one the tests before made: what it holds comes first.
    TCalendarForm& planner = Planner();
    QStringList expected = Titles(planner);

    PhoneAdds("phone-key-1", "Телефон: завтрак");
    QSignalSpy ended(form_->Sync(), &TSyncControl::ended);
    QTest::keyClick(form_.get(), Qt::Key_F9);
    QVERIFY(WaitFor([&] { return !ended.isEmpty(); }));
    QVERIFY(WaitFor([&] { return !form_->Sync()->Running() && form_->Saver().Pending() == 0; }));
    expected << QStringLiteral("Телефон: завтрак");
    expected.sort();
    QCOMPARE(Titles(planner), expected);

    PhoneAdds("phone-key-2", "Телефон: ужин");
    planner.SetSelectedDay(Day(2026, 12, 10));
    planner.Add();
    planner.titleBox->setEditText(QStringLiteral("Здесь: заметка"));
    ended.clear();
    QTest::keyClick(form_.get(), Qt::Key_F9);
    QTest::qWait(3000);  // the server has answered long since; the outcome waits
    QVERIFY(ended.isEmpty());
    QVERIFY(form_->Sync()->Running());
    QCOMPARE(Titles(planner), expected);
    QTest::mouseClick(planner.saveButton, Qt::LeftButton);
    expected << QStringLiteral("Телефон: ужин") << QStringLiteral("Здесь: заметка");
    expected.sort();
    QVERIFY(WaitFor([&] {
        return Titles(planner) == expected && !form_->Sync()->Running() &&
               form_->Saver().Pending() == 0;
    }));
    QCOMPARE(Titles(planner), expected);

    // The page's plain http box is the command line's --allow-http.
    QVERIFY(!sync::LoadSyncSettings(DataDir()).AllowPlainHttp);
    Settings().syncIntervalEdit->SetText("0");
    Settings().syncPlainHttpBox->setChecked(true);
    PressSync();
    QCOMPARE(form_->Sync()->IntervalMs(), 0);
    QVERIFY(sync::LoadSyncSettings(DataDir()).AllowPlainHttp);
}

QTEST_MAIN(SyncWindowTest)
#include "sync_window_test.moc"
