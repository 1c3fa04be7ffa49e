// The interface language decides every format, whatever the system's locale: run under
// LC_ALL=C.UTF-8 and under LC_ALL=ru_RU.UTF-8 (the test says which it got), each language
// must show the same day title, card date, reminder line and totals.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "core/addressbook/address.h"
#include "app/main_form.h"
#include "windows/planner/calendar_dialog.h"
#include "windows/debts/credits_form.h"
#include "windows/planner/calendar_form.h"
#include "core/planner/day_rules.h"
#include "core/planner/reminders.h"
#include "core/settings/dictionary_tables.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"
#include "storage/stream_container.h"
#include "kit/convert.h"
#include "kit/form_binding.h"
#include "kit/interface_language.h"
#include "kit/message.h"

using namespace pomix;

namespace {

DateTime Day(int y, int m, int d) {
    DateTime day = 0;
    TryEncodeDate(y, m, d, day);
    return day;
}

void WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace

class InterfaceLanguageTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void formatsFollowTheDictionaryNotTheSystem_data();
    void formatsFollowTheDictionaryNotTheSystem();
    void qtsOwnTextsFollowTheLanguage();
    void cleanupTestCase();

private:
    QTemporaryDir dir_;
};

void InterfaceLanguageTest::initTestCase() {
    // Which system locale this run has; both runs must pass alike.
    qInfo("system locale: %s", qPrintable(QLocale::system().name()));
    const QByteArray wanted = qgetenv("POMIX_EXPECT_SYSTEM_LANGUAGE");
    if (!wanted.isEmpty()) QCOMPARE(QLocale::system().name().left(2), QString::fromLatin1(wanted));
    QDir(dir_.path()).mkpath("Data");
    QDir(dir_.path()).mkpath("Lang");
    SetProgramDir(dir_.path().toStdString());
    SetMessagePresenter([](MessageKind, const QString&) { return MessageAnswer::Ok; });
    const auto tables = ReadDictionaryTables(POMIX_LANG_DIR);
    WriteFile(dir_.filePath("Lang/Russian.lng"), MakeDictionary(tables, DictionaryLanguage::Russian));
    WriteFile(dir_.filePath("Lang/English.lng"), MakeDictionary(tables, DictionaryLanguage::English));
    // A hand-made dictionary that names no language.
    WriteFile(dir_.filePath("Lang/Old.lng"), "[MainForm]\r\nFormVersion=0\r\n");
}

void InterfaceLanguageTest::cleanupTestCase() {
    SetInterfaceLanguage("ru");
    SetMessagePresenter({});
    SetProgramDir("");
}

void InterfaceLanguageTest::formatsFollowTheDictionaryNotTheSystem_data() {
    QTest::addColumn<QString>("dictionary");
    QTest::addColumn<QString>("dayTitle");
    QTest::addColumn<QString>("cardDate");
    QTest::addColumn<QString>("reminder");
    QTest::addColumn<QString>("dollars");
    QTest::addColumn<QString>("roubles");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("spoken");  // a marked day in the grid, the picker's "a year on"
    const QString russian[] = {QString::fromUtf8("вторник, 8 декабря 2026 г."), QString::fromUtf8("11 декабря 1985 г."),
                               QString::fromUtf8("08.12.2026 19:40;Встреча"), QStringLiteral("100,50 $"),
                               QString::fromUtf8("1500,00 рублей"), QString::fromUtf8("Декабрь Пн Вс"),
                               QString::fromUtf8("есть события|Следующий год")};
    QTest::newRow("Russian") << "Russian.lng" << russian[0] << russian[1] << russian[2] << russian[3] << russian[4]
                             << russian[5] << russian[6];
    QTest::newRow("English") << "English.lng" << "Tuesday, December 8, 2026"
                             << "December 11, 1985" << QString::fromUtf8("12/8/2026 19:40;Встреча") << "100.50 $"
                             << "1500.00 roubles"
                             << "December Mon Sun"
                             << "has events|Next year";
    QTest::newRow("no language named") << "Old.lng" << russian[0] << russian[1] << russian[2] << russian[3]
                                       << russian[4] << russian[5] << russian[6];
    QTest::newRow("no dictionary") << "" << russian[0] << russian[1] << russian[2] << russian[3] << russian[4]
                                   << russian[5] << russian[6];
}

void InterfaceLanguageTest::formatsFollowTheDictionaryNotTheSystem() {
    QFETCH(QString, dictionary);
    TSettingsRecord settings;
    settings.LanguageFile = dictionary.toStdString();
    {
        MemoryStream stream;
        WriteSettings(settings, stream);
        StreamContainer container;
        SaveSingleStream(container, DataDir() + kSettingsFileName, kSettingsStreamName, stream);
    }
    TMainForm main;
    main.show();
    main.Display->ShowWindow(4);  // the debt book reads its texts from the dictionary
    auto* debts = qobject_cast<TCreditsForm*>(main.Display->Window(4));
    QVERIFY(debts);
    debts->Data().Add(TCreditNote(kOwedToMe, "", "100.5 $", 0, 0));
    debts->Data().Add(TCreditNote(kOwedToMe, "", Utf8ToCp1251("1500 руб"), 0, 0));
    debts->ShowStatistics();

    const Event event(Utf8ToCp1251("Встреча"), {}, Day(2026, 12, 8), 19.0 / 24 + 40.0 / 1440, 0, 1,
                      0);
    QTEST(ToQt(LongDayText(Day(2026, 12, 8))), "dayTitle");
    QTEST(ToQt(LongBirthDate(Day(1985, 12, 11))), "cardDate");
    QTEST(ToQt(ReminderLineText(event)), "reminder");
    QTEST(debts->owedToMeDollars->text(), "dollars");
    QTEST(debts->owedToMeRoubles->text(), "roubles");
    QTEST(MonthHeading(12) + QLatin1Char(' ') + WeekdayHeading(1) + QLatin1Char(' ') + WeekdayHeading(7), "month");
    // What a screen reader hears of the grids comes with the dictionary.
    main.Display->ShowWindow(0);
    auto* planner = qobject_cast<TCalendarForm*>(main.Display->Window(0));
    QVERIFY(planner);
    TCalendarDialog picker;
    picker.show();
    QTEST(planner->monthGrid->MarkedDayText + QLatin1Char('|') + picker.monthGrid->StepButtonNames[3], "spoken");
    picker.hide();
    QVERIFY(main.Shutdown());
}

void InterfaceLanguageTest::qtsOwnTextsFollowTheLanguage() {
    SetInterfaceLanguage("ru");
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString::fromUtf8("&Да"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"), QString::fromUtf8("&Имя файла:"));
    SetInterfaceLanguage("en");
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
    SetInterfaceLanguage("ru");
}

QTEST_MAIN(InterfaceLanguageTest)
#include "interface_language_test.moc"
