// The data files read and written beside the interface. Reading: the sections take their
// records in whatever order the files arrive, a section shown before its file shows it is
// loading, the password gate holds while files arrive, and the close does not wait for the
// reads. Writing: a change reaches its file within seconds, in the bytes a save at close
// writes; a full disk is told once and the change is written when there is room; the close
// waits for writes still out; a program killed five seconds after a change keeps it.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <future>
#include <iostream>
#include <latch>
#include <mutex>
#include <set>

#include "kit/record_routine.h"
#include "windows/addressbook/abook_form.h"
#include "app/main_form.h"
#include "windows/catalog/catalog_form.h"
#include "windows/debts/credits_form.h"
#include "windows/notes/note_form.h"
#include "windows/planner/calendar_form.h"
#include "core/planner/calendar_format.h"
#include "windows/settings/setup_form.h"
#include "storage/dates.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/section_file.h"
#include "storage/early_reads.h"
#include "kit/message.h"
#include "kit/notifier.h"

using namespace pomix;

namespace {

QByteArray ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteSettingsFile(const TSettingsRecord& record = {}) {
    MemoryStream stream;
    WriteSettings(record, stream);
    StreamContainer container;
    container.AddStream(kSettingsStreamName, &stream);
    container.SaveToFile(DataDir() + kSettingsFileName);
}

// The notes section is the program's; the others are empty stand-ins.
TMainForm::SectionFactory NotesOnly() {
    return [](int index, StreamContainer& container, SectionLoad load) -> TSectionWindow* {
        if (index == 2) return new TNoteForm(container, nullptr, load);
        return new TSectionWindow(index, "Section" + std::to_string(index), {});
    };
}

TNoteForm& Notes(TMainForm& form) { return *static_cast<TNoteForm*>(form.Display->Window(2)); }

// Starts the reads and runs the event loop until every section has taken its records.
bool LoadAll(TMainForm& form) {
    form.StartLoading();
    QElapsedTimer waited;
    waited.start();
    const auto allIn = [&form] {
        for (int i = 0; i < kSectionCount; ++i) {
            if (!form.Display->Window(i)->Loaded()) return false;
        }
        return true;
    };
    while (!allIn() && waited.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return allIn();
}

void AddNote(TNoteForm& notes, const std::string& title) {
    notes.recordRoutine->Add();
    notes.titleEdit->SetText(title);
    notes.recordRoutine->Save();
}

std::vector<std::string> TitlesInFile() {
    StreamContainer container;
    SectionFile file(container, DataDir() + kNoteFileName, kNoteStreamName);
    NoteList list;
    file.LoadList(list, ReadNotes);
    std::vector<std::string> titles;
    for (std::size_t i = 0; i < list.Count(); ++i) titles.push_back(list[i].Name);
    return titles;
}

// What a save at close writes for the list: the reference for a background write.
QByteArray SavedAtClose(const NoteList& list) {
    const std::string path = DataDir() + "reference.dat";
    StreamContainer container;  // as the main window's: compressed, not enciphered
    SectionFile(container, path, kNoteStreamName).SaveList(list, true, WriteNotes);
    const QByteArray bytes = ReadFile(path);
    std::remove(path.c_str());
    return bytes;
}

// One record in each section's file; the planner's event is due within the hour.
void WriteSectionFiles() {
    StreamContainer c;  // as the program's: compressed
    const std::string dir = DataDir();
    EventList events;
    const DateTime now = Now();
    events.Append(
        Event("due", {}, std::floor(now), now - std::floor(now) + 5.0 / (24 * 60), 1, 1, 0));
    SectionFile(c, dir + kCalendarFile, kCalendarStream).SaveList(events, true, WriteCalendar);
    AddressList contacts;
    contacts.Add(Contact("Ivanov", "Petr", "", 0, "", "", "", "", "", {}, 0));
    SectionFile(c, dir + kAddressFileName, kAddressStreamName).SaveList(contacts, true, WriteAddressList);
    NoteList notes;
    notes.Add(TNote(now, {"text"}, "note"));
    SectionFile(c, dir + kNoteFileName, kNoteStreamName).SaveList(notes, true, WriteNotes);
    CatalogList entries;
    entries.Add(TCatalogNote(0, "entry", {}));
    SectionFile(c, dir + kCatalogFileName, kCatalogStreamName).SaveList(entries, true, WriteCatalogList);
    CreditList debts;
    debts.Add(TCreditNote(kOwedToMe, "Petr", "100 rub", now, now + 30));
    SectionFile(c, dir + kCreditFileName, kCreditStreamName).SaveList(debts, true, WriteCreditList);
}

const char* const kSectionFiles[] = {kCalendarFile, kAddressFileName, kNoteFileName, kCatalogFileName,
                                     kCreditFileName};

std::vector<QByteArray> SectionFileBytes() {
    std::vector<QByteArray> bytes;
    for (const char* name : kSectionFiles) bytes.push_back(ReadFile(DataDir() + name));
    return bytes;
}

template <class Form>
Form& Section(TMainForm& form, int index) {
    return *static_cast<Form*>(form.Display->Window(index));
}

// The records section index holds now.
std::size_t RecordCount(TMainForm& form, int index) {
    switch (index) {
        case 0: return Section<TCalendarForm>(form, 0).Data().Events.Count();
        case 1: return Section<TABookForm>(form, 1).Contacts().Count();
        case 2: return Section<TNoteForm>(form, 2).Notes().Count();
        case 3: return Section<TCatalogForm>(form, 3).Entries().Count();
        default: return Section<TCreditsForm>(form, 4).Credits().Count();
    }
}

// The child of the kill test: opens the folder, adds a note, says so, and runs until killed.
int ChangeAndRun(int argc, char** argv) {
    QApplication app(argc, argv);
    SetMessagePresenter([](MessageKind, const QString& text) {
        std::cerr << text.toStdString() << "\n";
        return MessageAnswer::Ok;
    });
    SetProgramDir(argv[2]);
    TMainForm form(NotesOnly());
    form.show();
    if (!LoadAll(form)) return 3;
    AddNote(Notes(form), "kept");
    std::cout << "changed" << std::endl;
    return app.exec();
}

}  // namespace

class LoadSaveTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sectionsTakeTheirRecordsInAnyOrderOfArrival();
    void sectionShownBeforeItsFileSaysLoadingAndFillsLater();
    void sectionPressedEarlyIsTakenFirst();
    void preferredReadRunsAlone();
    void passwordGateHoldsWhileFilesArrive();
    void closeWhileFilesAreReadSavesOnlyWhatWasTaken();
    void changeIsWrittenInTheBackgroundAsAtClose();
    void fullDiskIsToldOnceAndTheNextChangeWrites();
    void closeWaitsForTheWriteStillOut();
    void settingsSaveIsWrittenInTheBackground();
    void earlyReadsAreTakenUnlessTheFileChanged();
    void earlyReaderBeginsNoReadOnceStopped();
    // Last: under ThreadSanitizer no thread may start after the child process is made.
    void killedFiveSecondsAfterAChangeKeepsIt();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QStringList messages_;
    MessagePresenter previous_;
    Notifier previousNotifier_;
};

void LoadSaveTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QDir(dir_->path()).mkpath(QStringLiteral("Data"));
    QDir(dir_->path()).mkpath(QStringLiteral("Lang"));
    SetProgramDir(dir_->path().toStdString() + "/");
    SettingsRecord = TSettingsRecord{};
    WriteSettingsFile();
    messages_.clear();
    previous_ = SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_ << text;
        return MessageAnswer::Ok;
    });
    // Reminders stay off the desktop's bus.
    previousNotifier_ = SetNotifier([](const QString&, const QString&) { return true; });
}

void LoadSaveTest::cleanup() {
    SetNotifier(previousNotifier_);
    SetMessagePresenter(previous_);
    SetProgramDir("");
    dir_.reset();
}

void LoadSaveTest::sectionsTakeTheirRecordsInAnyOrderOfArrival() {
    TSettingsRecord settings;
    settings.ReminderLead = 60;
    WriteSettingsFile(settings);
    WriteSectionFiles();
    const std::vector<QByteArray> before = SectionFileBytes();
    // Each section first and each last; the debt book before the address book and after it.
    const std::vector<std::vector<int>> orders = {
        {0, 1, 2, 3, 4}, {1, 0, 2, 3, 4}, {2, 0, 1, 3, 4}, {3, 0, 1, 2, 4}, {4, 0, 1, 2, 3},
        {4, 3, 2, 1, 0}, {0, 2, 3, 4, 1}, {0, 1, 3, 4, 2}, {0, 1, 2, 4, 3}, {1, 2, 3, 0, 4},
    };
    for (const std::vector<int>& order : orders) {
        TMainForm form(TMainForm::ProgramSections());
        form.Loader().HoldArrivals();
        QSignalSpy allIn(&form, &TMainForm::sectionsLoaded);
        form.StartLoading();
        TCalendarForm& planner = Section<TCalendarForm>(form, 0);
        TCreditsForm& debts = Section<TCreditsForm>(form, 4);
        std::set<int> in;
        for (const int key : order) {
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(form.Display->Window(i)->Loaded(), in.count(i) == 1);
                QCOMPARE(form.Display->Window(i)->isEnabled(), in.count(i) == 1);
            }
            QCOMPARE(RecordCount(form, key), std::size_t(0));
            QCOMPARE(allIn.count(), 0);
            form.Loader().Release(key);
            in.insert(key);
            QVERIFY(form.Display->Window(key)->Loaded());
            QCOMPARE(RecordCount(form, key), std::size_t(1));
            // The reminder check runs on the events as soon as they are in, not before.
            QCOMPARE(!planner.reminderPanel->isHidden(), in.count(0) == 1);
            // The debt book's editor, open from its arrival on, offers the contacts' names
            // once the address book is in.
            if (key == 4) debts.recordRoutine->Add();
            if (in.count(4)) QCOMPARE(debts.debtorBox->Items().size(), in.count(1));
        }
        QCOMPARE(allIn.count(), 1);  // once, after the last
        QVERIFY(messages_.isEmpty());
        QVERIFY(form.close());
        QCOMPARE(SectionFileBytes(), before);
    }
}

void LoadSaveTest::sectionShownBeforeItsFileSaysLoadingAndFillsLater() {
    WriteSectionFiles();
    TMainForm form(TMainForm::ProgramSections());
    form.show();
    form.Loader().HoldArrivals();
    form.StartLoading();
    QVERIFY(form.SectionsUnlocked);
    form.Select(form.SectionButtons[2]);
    QCOMPARE(form.Display->Shown(), 2);
    QVERIFY(form.loadingText->isVisible());
    QVERIFY(!form.Display->Window(2)->isEnabled());
    form.Select(form.SectionButtons[5]);  // the settings have no file to wait for
    QVERIFY(!form.loadingText->isVisible());
    form.Select(form.SectionButtons[2]);
    QVERIFY(form.loadingText->isVisible());

    form.Loader().Release(2);
    QVERIFY(!form.loadingText->isVisible());
    TNoteForm& notes = Section<TNoteForm>(form, 2);
    QVERIFY(notes.isEnabled());
    QCOMPARE(notes.titleList->count(), 1);
    QVERIFY(form.close());
}

// The section the user waits for is not held up by the others' files, read or taken; they
// all follow it.
void LoadSaveTest::sectionPressedEarlyIsTakenFirst() {
    WriteSectionFiles();
    for (const int pressed : {1, 4}) {
        TMainForm form(TMainForm::ProgramSections());  // not shown: see below
        QSignalSpy taken(&form.Loader(), &TBackgroundLoader::taken);
        form.StartLoading();
        form.Select(form.SectionButtons[static_cast<std::size_t>(pressed)]);
        QTRY_COMPARE(taken.count(), 5);
        QCOMPARE(taken.first().at(0).toInt(), pressed);
        QCOMPARE(RecordCount(form, pressed), std::size_t(1));
        QVERIFY(form.close());
    }
}

// Files that arrive before the password is given, and after, show nothing until it is given.
void LoadSaveTest::preferredReadRunsAlone() {
    // Read 2 is pressed before the reads start, or while it runs beside read 0: until it has
    // ended no other read begins, so that it has every core.
    for (const bool pressedEarly : {true, false}) {
        TBackgroundLoader loader;
        QSignalSpy taken(&loader, &TBackgroundLoader::taken);
        std::mutex mutex;
        std::set<int> begun;
        std::promise<void> open0, open2;
        const std::shared_future<void> gate0 = open0.get_future().share(),
                                       gate2 = open2.get_future().share();
        const auto hasBegun = [&](int key) {
            std::lock_guard lock(mutex);
            return begun.count(key) != 0;
        };
        for (int key = 0; key < 4; ++key) {
            loader.Add(key, {[&, key, gate0, gate2] {
                                 {
                                     std::lock_guard lock(mutex);
                                     begun.insert(key);
                                 }
                                 if (key == 0) gate0.wait();
                                 if (key == 2) gate2.wait();
                             },
                             [] {}});
        }
        if (pressedEarly) loader.Prefer(2);
        loader.Run();
        QTRY_VERIFY(hasBegun(2));
        if (!pressedEarly) loader.Prefer(2);
        open0.set_value();  // the thread of read 0 is free: it must wait
        QTest::qWait(200);
        const std::set<int> expected = pressedEarly ? std::set<int>{2} : std::set<int>{0, 1, 2};
        {
            std::lock_guard lock(mutex);
            QCOMPARE(begun, expected);
        }
        open2.set_value();
        QTRY_COMPARE(taken.count(), 4);
    }
}

void LoadSaveTest::passwordGateHoldsWhileFilesArrive() {
    TSettingsRecord settings;
    settings.CheckPassword = true;
    settings.Password = "a password long enough";
    settings.ReminderLead = 60;
    WriteSettingsFile(settings);
    WriteSectionFiles();
    for (const bool arriveFirst : {true, false}) {
        TMainForm form(TMainForm::ProgramSections());
        form.show();
        form.Loader().HoldArrivals();
        form.StartLoading();
        if (arriveFirst) {
            for (int i = 0; i < 5; ++i) form.Loader().Release(i);
        }
        QVERIFY(form.passwordPanel->isVisible());
        form.Select(form.SectionButtons[2]);
        QCOMPARE(form.Display->Shown(), -1);
        QVERIFY(Section<TCalendarForm>(form, 0).reminderPanel->isHidden());

        form.passwordEdit->setText(QStringLiteral("a password long enough"));
        form.CheckPassword();
        QVERIFY(form.SectionsUnlocked);
        if (!arriveFirst) {
            for (int i = 0; i < 5; ++i) form.Loader().Release(i);
        }
        form.Select(form.SectionButtons[2]);
        QCOMPARE(Section<TNoteForm>(form, 2).titleList->count(), 1);
        QVERIFY(form.close());
    }
}

// A change made in a section already in is saved; the files not yet taken stay as they were.
void LoadSaveTest::closeWhileFilesAreReadSavesOnlyWhatWasTaken() {
    WriteSectionFiles();
    const std::vector<QByteArray> before = SectionFileBytes();
    {
        TMainForm form(TMainForm::ProgramSections());
        form.Loader().HoldArrivals();
        form.StartLoading();
        form.Loader().Release(2);
        AddNote(Section<TNoteForm>(form, 2), "added");
        QVERIFY(form.close());
    }
    std::vector<QByteArray> after = SectionFileBytes();
    QCOMPARE(TitlesInFile(), (std::vector<std::string>{"note", "added"}));
    after[2] = before[2];
    QCOMPARE(after, before);

    // Closed at once, with the reads still running.
    TMainForm form(TMainForm::ProgramSections());
    form.StartLoading();
    QVERIFY(form.close());
}

void LoadSaveTest::changeIsWrittenInTheBackgroundAsAtClose() {
    TMainForm form(NotesOnly());
    QVERIFY(LoadAll(form));
    TNoteForm& notes = Notes(form);
    QSignalSpy saved(&form.Saver(), &TBackgroundSaver::saved);
    AddNote(notes, "first");
    // Two changes, each taken by its own run: the writes of one file follow each other.
    form.SaveChanges();
    AddNote(notes, "second");
    // The first write may still be out: the second change is then taken at a later run.
    for (int run = 0; run < 200 && (notes.HasChanges() || form.Saver().Pending() > 0); ++run) {
        form.SaveChanges();
        QTest::qWait(50);
    }
    QVERIFY(!notes.HasChanges());
    QCOMPARE(form.Saver().Pending(), 0);
    QVERIFY(saved.count() >= 1);
    for (const QList<QVariant>& outcome : saved) QVERIFY(outcome.at(0).toBool());
    QCOMPARE(TitlesInFile(), (std::vector<std::string>{"first", "second"}));
    QCOMPARE(ReadFile(DataDir() + kNoteFileName), SavedAtClose(notes.Notes()));
    QVERIFY(messages_.isEmpty());
    QVERIFY(form.close());
}

void LoadSaveTest::fullDiskIsToldOnceAndTheNextChangeWrites() {
    TMainForm form(NotesOnly());
    QVERIFY(LoadAll(form));
    TNoteForm& notes = Notes(form);
    QSignalSpy saved(&form.Saver(), &TBackgroundSaver::saved);

    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = old;
    full.rlim_cur = 16;  // no file may grow past 16 bytes, as on a full disk
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
    for (const char* title : {"one", "two"}) {
        AddNote(notes, title);
        form.SaveChanges();
        QVERIFY(saved.wait(5000));
        QCOMPARE(saved.takeLast().at(0).toBool(), false);
    }
    // No change since the failure: nothing is tried until the next change.
    form.SaveChanges();
    QCOMPARE(form.Saver().Pending(), 0);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].contains(QString::fromStdString(DataDir() + kNoteFileName)), qPrintable(messages_[0]));
    QVERIFY(!QFile::exists(QString::fromStdString(DataDir() + kNoteFileName)));
    QVERIFY(QDir(QString::fromStdString(DataDir())).entryList({QStringLiteral("Note.dat?*")}).isEmpty());

    AddNote(notes, "three");
    form.SaveChanges();
    QVERIFY(saved.wait(5000));
    QCOMPARE(saved.takeLast().at(0).toBool(), true);
    QCOMPARE(TitlesInFile(), (std::vector<std::string>{"one", "two", "three"}));
    QCOMPARE(messages_.size(), 1);
}

// A failed write with no change after it, and a write still out, are both done by the close.
void LoadSaveTest::closeWaitsForTheWriteStillOut() {
    struct Case {
        const char* name;
        bool failFirst;
    };
    for (const Case& c : {Case{"write out", false}, Case{"write failed", true}}) {
        QFile::remove(QString::fromStdString(DataDir() + kNoteFileName));
        messages_.clear();
        TMainForm form(NotesOnly());
        QVERIFY(LoadAll(form));
        TNoteForm& notes = Notes(form);
        AddNote(notes, c.name);
        if (c.failFirst) {
            rlimit old{};
            ::getrlimit(RLIMIT_FSIZE, &old);
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit full = old;
            full.rlim_cur = 16;
            ::setrlimit(RLIMIT_FSIZE, &full);
            QSignalSpy saved(&form.Saver(), &TBackgroundSaver::saved);
            form.SaveChanges();
            QVERIFY(saved.wait(5000));
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
            QCOMPARE(messages_.size(), 1);
        } else {
            form.SaveChanges();
        }
        QVERIFY(form.close());
        QCOMPARE(form.Saver().Pending(), 0);
        QCOMPARE(TitlesInFile(), std::vector<std::string>{c.name});
        QCOMPARE(ReadFile(DataDir() + kNoteFileName), SavedAtClose(notes.Notes()));
    }
}

// "Сохранить" hands the settings file to the saving thread: with that thread held up the
// interface thread goes on and the file is untouched; once it is free, the file holds what a
// save at close writes.
void LoadSaveTest::settingsSaveIsWrittenInTheBackground() {
    const std::string file = DataDir() + kSettingsFileName;
    TMainForm form([](int index, StreamContainer&, SectionLoad) -> TSectionWindow* {
        if (index == 5) return new TSettingsWindow();
        return new TSectionWindow(index, "Section" + std::to_string(index), {});
    });
    QVERIFY(LoadAll(form));
    const QByteArray before = ReadFile(file);
    std::promise<void> go;
    form.Saver().Post({"held", [held = go.get_future().share()] { held.wait(); }, {}});

    // Not shown, as in sectionPressedEarlyIsTakenFirst: Qt may draw a shown window's image on
    // threads of its own, which the thread sanitizer this test runs under cannot follow.
    TSettingsWindow& setup = Section<TSettingsWindow>(form, 5);
    setup.overdueEdit->SetText("!!");
    setup.saveButton->click();
    form.SaveChanges();
    QCOMPARE(form.Saver().Pending(), 2);
    QTest::qWait(100);
    QCOMPARE(ReadFile(file), before);

    go.set_value();
    QTRY_COMPARE(form.Saver().Pending(), 0);
    QVERIFY(messages_.isEmpty());
    QCOMPARE(SettingsRecord.OverdueMark, std::string("!!"));
    // The same record saved in one go, in a folder of its own.
    const QString reference = dir_->filePath(QStringLiteral("reference/"));
    QVERIFY(QDir().mkpath(reference));
    QVERIFY(QFile::copy(QString::fromStdString(file), reference + kSettingsFileName));
    SaveSettingsFile(form.Container, reference.toStdString(), SettingsRecord, true);
    const QByteArray after = ReadFile(file);
    QVERIFY(after != before);
    QCOMPARE(after, ReadFile(reference.toStdString() + kSettingsFileName));
    QVERIFY(form.close());
}

void LoadSaveTest::killedFiveSecondsAfterAChangeKeepsIt() {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--change-and-run"), QString::fromStdString(ProgramDir())});
    QVERIFY(child.waitForStarted(10000));
    while (!child.canReadLine()) QVERIFY(child.waitForReadyRead(20000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("changed"));
    QTest::qWait(5000);
    child.kill();  // SIGKILL: nothing of the program runs after it
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(TitlesInFile(), std::vector<std::string>{"kept"});
}

void LoadSaveTest::earlyReadsAreTakenUnlessTheFileChanged() {
    WriteSectionFiles();  // one record in each
    // The early reads read an empty folder in place of each file: a section that took what was
    // read early has no record, one that read its file again has its one.
    QTemporaryDir empty;
    const std::string emptyData = empty.path().toStdString() + "/Data/";
    for (int changed = 0; changed < 5; ++changed) {
        std::vector<EarlyRead> reads = TMainForm::ProgramEarlyReads(emptyData);
        std::latch done(static_cast<std::ptrdiff_t>(reads.size()));
        for (EarlyRead& read : reads) {
            read.path = DataDir() + read.path.substr(emptyData.size());
            read.read = [&done, read = read.read] {
                auto outcome = read();
                done.count_down();
                return outcome;
            };
        }
        TEarlyReads reader(std::move(reads));
        done.wait();
        // The file written again after its early read, as a copy running before might have.
        const std::string path = DataDir() + kSectionFiles[changed];
        const QByteArray bytes = ReadFile(path);
        std::remove(path.c_str());
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        TMainForm form(TMainForm::ProgramSections());
        QVERIFY(LoadAll(form));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(RecordCount(form, i), std::size_t(i == changed ? 1 : 0));
        QVERIFY(messages_.isEmpty());
    }
}

void LoadSaveTest::earlyReaderBeginsNoReadOnceStopped() {
    std::promise<void> begun, release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> secondBegun = false;
    const std::string first = DataDir() + "first", second = DataDir() + "second";
    TEarlyReads reader({{first, [&begun, released] {
                             begun.set_value();
                             released.wait();
                             return std::make_shared<int>(1);
                         }},
                        {second, [&secondBegun] {
                             secondBegun = true;
                             return std::make_shared<int>(2);
                         }}});
    begun.get_future().wait();
    TEarlyReads::StopBeginning();
    release.set_value();
    // The read running when stopped is waited for and taken once; the one not begun is left
    // to its section's own read.
    const std::shared_ptr<int> taken = TEarlyReads::Take<int>(first);
    QVERIFY(taken && *taken == 1);
    QVERIFY(!TEarlyReads::Take<int>(first));
    QVERIFY(!TEarlyReads::Take<int>(second));
    QVERIFY(!secondBegun);
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--change-and-run") return ChangeAndRun(argc, argv);
    QApplication app(argc, argv);
    LoadSaveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "load_save_test.moc"
