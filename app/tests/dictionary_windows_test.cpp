// Every window against the dictionary tables: each table holds exactly the texts its window
// binds, with the window's own text as the Russian; with the English dictionary every bound
// text shows in English, and runs that change nothing leave the dictionary byte for byte.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <set>

#include "app/main_form.h"
#include "windows/planner/calendar_dialog.h"
#include "core/settings/dictionary_tables.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"
#include "storage/stream_container.h"
#include "storage/text.h"
#include "kit/convert.h"
#include "kit/message.h"

using namespace pomix;

namespace {

// A window and its binding, by dictionary section.
struct BoundWindow {
    QWidget* window;
    TFormBinding* binding;
};

std::map<std::string, BoundWindow> Windows(TMainForm& main, TCalendarDialog& picker) {
    std::map<std::string, BoundWindow> windows;
    windows[main.Binding().FormStorage1.Section()] = {&main, &main.Binding()};
    windows[picker.Binding().FormStorage1.Section()] = {&picker, &picker.Binding()};
    for (int i = 0; i < kSectionCount; ++i) {
        TSectionWindow* section = main.Display->Window(i);
        windows[section->Binding().FormStorage1.Section()] = {section, &section->Binding()};
    }
    return windows;
}

const DictionaryTable* FindTable(const std::vector<DictionaryTable>& tables, const std::string& section) {
    for (const DictionaryTable& table : tables) {
        if (table.section == section) return &table;
    }
    return nullptr;
}

bool IsList(const TFormStorage::Item& item) { return item.list; }

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class DictionaryWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyTableHoldsExactlyItsWindowsTexts();
    void englishShowsInEveryWindowAndRunsLeaveTheFile();
    void messageTableHoldsEveryMessageInBothLanguages();
    void passwordWithCharactersOutsideTheCodePageNeverMatches();
    void readOnlyDictionaryIsReportedKeptAndTheShutdownCompletes();

private:
    void WriteSettings(const TSettingsRecord& record);

    std::unique_ptr<QTemporaryDir> dir_;
    std::vector<DictionaryTable> tables_;
};

void DictionaryWindowsTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QDir(dir_->path()).mkpath("Data");
    QDir(dir_->path()).mkpath("Lang");
    SetProgramDir(dir_->path().toStdString());
    SetMessagePresenter([](MessageKind, const QString&) { return MessageAnswer::Ok; });
    SettingsRecord = TSettingsRecord{};
    tables_ = ReadDictionaryTables(POMIX_LANG_DIR);
}

void DictionaryWindowsTest::cleanup() {
    SetMessagePresenter({});
    SetProgramDir("");
    SettingsRecord = TSettingsRecord{};
    dir_.reset();
}

void DictionaryWindowsTest::WriteSettings(const TSettingsRecord& record) {
    MemoryStream stream;
    pomix::WriteSettings(record, stream);
    StreamContainer container;
    SaveSingleStream(container, DataDir() + kSettingsFileName, kSettingsStreamName, stream);
}

void DictionaryWindowsTest::everyTableHoldsExactlyItsWindowsTexts() {
    WriteSettings(TSettingsRecord{});  // no dictionary: every window shows its own texts
    TMainForm main;
    TCalendarDialog picker;
    for (const auto& [section, bound] : Windows(main, picker)) {
        QtDictionaryTarget target(bound.window);
        const std::vector<TFormStorage::Item>& items = bound.binding->FormStorage1.Items();
        if (items.empty()) continue;  // a window that binds nothing needs no table
        const DictionaryTable* table = FindTable(tables_, section);
        QVERIFY2(table, ("no table app/lang/" + section + ".tsv").c_str());

        std::map<std::string, std::string> russian;  // non-list keys of the table
        std::set<std::string> listKeys;
        for (const DictionaryEntry& e : table->entries) {
            if (e.key.ends_with("_Items")) listKeys.insert(e.key);
            else russian[e.key] = e.russian;
        }
        std::set<std::string> bound_;
        std::string missing;
        for (const TFormStorage::Item& item : items) {
            if (IsList(item)) {
                StrList lines;
                if (!target.GetLines(item.control, item.property, lines)) continue;
                QVERIFY2(listKeys.count(item.key), (section + ": no lines for " + item.key).c_str());
                continue;
            }
            std::string text;
            if (!target.GetText(item.control, item.property, text)) continue;
            bound_.insert(item.key);
            const std::string builtIn = Cp1251ToUtf8(Trim(text));
            const auto found = russian.find(item.key);
            if (found == russian.end()) {
                missing += item.key + "\t" + builtIn + "\t\n";
                continue;
            }
            QVERIFY2(found->second == builtIn,
                     (section + "." + item.key + ": table \"" + found->second + "\", window \"" + builtIn + "\"").c_str());
        }
        // The lines printed whole, ready to be completed with their English and pasted in.
        if (!missing.empty()) qWarning("%s.tsv lacks:\n%s", section.c_str(), missing.c_str());
        QVERIFY2(missing.empty(), (section + ".tsv lacks keys").c_str());
        for (const auto& [key, text] : russian) {
            QVERIFY2(bound_.count(key), (section + "." + key + " is in the table but not bound by the window").c_str());
        }
    }
}

void DictionaryWindowsTest::englishShowsInEveryWindowAndRunsLeaveTheFile() {
    const QString path = dir_->filePath("Lang/English.lng");
    {
        const std::string made = MakeDictionary(tables_, DictionaryLanguage::English);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(made.data(), static_cast<qint64>(made.size()));
    }
    const QByteArray shipped = FileBytes(path);
    TSettingsRecord settings;
    settings.LanguageFile = "English.lng";
    WriteSettings(settings);

    QByteArray afterFirst;
    std::string missingTables;
    for (int run = 0; run < 2; ++run) {
        {
            TMainForm main;
            main.show();
            TCalendarDialog picker;
            picker.show();
            picker.hide();
            for (int i = 0; i < kSectionCount; ++i) main.Display->ShowWindow(i);
            int checked = 0;
            for (const auto& [section, bound] : Windows(main, picker)) {
                const DictionaryTable* table = FindTable(tables_, section);
                if (!table) continue;
                QtDictionaryTarget target(bound.window);
                std::map<std::string, StrList> lists;  // by key: "ComboBox1_Items" …
                for (const DictionaryEntry& e : table->entries) {
                    if (e.key.ends_with("_Items")) {
                        lists[e.key].push_back(Utf8ToCp1251(e.english));
                        continue;
                    }
                    const std::size_t cut = e.key.rfind('_');
                    std::string text;
                    QVERIFY(target.GetText(e.key.substr(0, cut), e.key.substr(cut + 1), text));
                    QVERIFY2(Cp1251ToUtf8(text) == e.english, (section + "." + e.key + " shows " + Cp1251ToUtf8(text)).c_str());
                    ++checked;
                }
                for (const auto& [key, english] : lists) {
                    StrList lines;
                    QVERIFY(target.GetLines(key.substr(0, key.rfind('_')), "Items", lines));
                    QCOMPARE(lines, english);
                }
            }
            QVERIFY(checked > 40);
            if (run == 0) {
                for (const auto& [section, bound] : Windows(main, picker)) {
                    if (!FindTable(tables_, section)) missingTables += section + " ";
                }
                if (!missingTables.empty()) qWarning("no table yet for %s", missingTables.c_str());
            }
            QVERIFY(main.Shutdown());
        }  // the date picker writes its texts back as it goes
        // With a table for every window the write-back finds nothing to change. A window
        // without a table adds its section (FormVersion alone) and so moves the list section
        // behind it; the second run then changes nothing either way.
        const QByteArray written = FileBytes(path);
        if (run == 0 && missingTables.empty()) QCOMPARE(written, shipped);
        if (run == 0) afterFirst = written;
        else QCOMPARE(written, afterFirst);
    }
}

// The message boxes' texts are no window's: their table is checked against the built-in ones,
// and each must come out in English through the English dictionary, its line breaks made.
void DictionaryWindowsTest::messageTableHoldsEveryMessageInBothLanguages() {
    const DictionaryTable* table = FindTable(tables_, kMessagesSection);
    QVERIFY(table);
    std::map<std::string, std::string> builtIn;
    for (const auto& [name, russian] : BuiltInMessages())
        builtIn[std::string(name) + "_Caption"] = russian;
    std::map<std::string, const DictionaryEntry*> listed;
    for (const DictionaryEntry& e : table->entries) listed[e.key] = &e;
    QCOMPARE(listed.size(), builtIn.size());
    const std::string made = MakeDictionary(tables_, DictionaryLanguage::English);
    QFile file(dir_->filePath("Lang/English.lng"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(made.data(), static_cast<qint64>(made.size()));
    file.close();
    for (const auto& [key, russian] : builtIn) {
        const auto found = listed.find(key);
        QVERIFY2(found != listed.end(), (key + " is not in Messages.tsv").c_str());
        QVERIFY2(found->second->russian == russian,
                 (key + ": table \"" + found->second->russian + "\"").c_str());
        const std::string name = key.substr(0, key.rfind('_'));
        const QString english = QString::fromStdString(found->second->english)
                                    .replace(QLatin1String("\\n"), QLatin1String("\n"));
        SettingsRecord.LanguageFile = "";
        QCOMPARE(MessageString(name), QString::fromStdString(russian).replace(QLatin1String("\\n"),
                                                                              QLatin1String("\n")));
        SettingsRecord.LanguageFile = "English.lng";
        QCOMPARE(MessageString(name), english);
        QVERIFY2(!english.contains(QRegularExpression(QStringLiteral("[\\x{0400}-\\x{04FF}]"))),
                 key.c_str());
    }
    SettingsRecord.LanguageFile = "";
}

void DictionaryWindowsTest::passwordWithCharactersOutsideTheCodePageNeverMatches() {
    TSettingsRecord settings;
    settings.CheckPassword = true;
    settings.Password = Utf8ToCp1251("пароль?");
    WriteSettings(settings);
    TMainForm main;
    main.passwordEdit->setText(QString::fromUtf8("пароль☃"));
    main.CheckPassword();
    QVERIFY(!main.SectionsUnlocked);
    main.passwordEdit->setText(QString::fromUtf8("пароль?"));
    main.CheckPassword();
    QVERIFY(main.SectionsUnlocked);
}

void DictionaryWindowsTest::readOnlyDictionaryIsReportedKeptAndTheShutdownCompletes() {
    const QString path = dir_->filePath("Lang/English.lng");
    const QByteArray text = "[MainForm]\r\nFormVersion=0\r\nText2_Caption=Password\r\n";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    TSettingsRecord settings;
    settings.LanguageFile = "English.lng";
    WriteSettings(settings);
    QStringList messages;
    SetMessagePresenter([&messages](MessageKind, const QString& message) {
        messages << message;
        return MessageAnswer::Ok;
    });
    TMainForm main;
    main.show();
    QCOMPARE(main.passwordTitle->text(), QStringLiteral("Password"));
    main.Display->ShowWindow(5);
    QVERIFY(main.Shutdown());
    QVERIFY(main.ShutdownDone());
    QVERIFY(!messages.isEmpty());
    for (const QString& message : messages)
        QCOMPARE(message, MessageString("DictionaryWriteFailed").arg(path));
    QCOMPARE(FileBytes(path), text);
}

QTEST_MAIN(DictionaryWindowsTest)
#include "dictionary_windows_test.moc"
