// Import and export from the planner and the address book: through the pop-up menu with the
// file dialog answered by the test, and by a file dropped on the window; one message tells
// what came in and what was left out, and the lists show the new records.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "windows/addressbook/abook_form.h"
#include "core/exchange/icalendar.h"
#include "core/exchange/records_csv.h"
#include "core/exchange/vcard.h"
#include "storage/cp1251.h"
#include "windows/planner/tests/calendar_form_support.h"
#include "kit/file_dialog.h"
#include "kit/interface_language.h"

using namespace pomix;
using namespace pomix::testing;

namespace {

// A calendar as a web calendar exports it, with one line broken on the way.
const char kCalendar[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Web//EN\r\n"
    "BEGIN:VEVENT\r\nUID:a\r\nDTSTART:20261207T093000\r\nSUMMARY:Планёрка\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20261207T150000\r\nSUMMARY:Call\r\nBROKEN LINE\r\n"
    "END:VEVENT\r\nBEGIN:VTODO\r\nUID:c\r\nSUMMARY:task\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";

// An address book as a phone exports it: one card fine, one never ended.
const char kContacts[] =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Иванов;Пётр\r\nTEL;CELL:+7 900 000-00-00\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Unended\r\n";

// Drags the file over the window and drops it, as a file manager does.
void DropFile(QWidget* window, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint at = window->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    QVERIFY(drop.isAccepted());
}

struct Exchange {
    QStringList information;
    QStringList errors;
    std::string chosen;
    int filter = 0;  // the filter chosen in the dialog, from 0
    std::vector<FileDialogKind> dialogs;

    Exchange() {
        SetMessagePresenter([this](MessageKind kind, const QString& text) {
            (kind == MessageKind::Information ? information : errors) << text;
            return MessageAnswer::Ok;
        });
        SetFileChooser([this](FileDialogKind kind, const QString&, const QString&) {
            dialogs.push_back(kind);
            return ChosenFile(chosen, filter);
        });
    }
    ~Exchange() { SetFileChooser({}); }
};

}  // namespace

class ExchangeWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void plannerImportsByMenuAndDropAndExports() {
        PlannerBench bench;
        Exchange exchange;
        const std::string file = bench.Data("web.ics");
        WriteFile(file, kCalendar);
        auto form = bench.Open();
        exchange.chosen = file;
        form->importAction->trigger();
        QCOMPARE(DayLines(*form), QStringList({"09:30 Планёрка", "15:00 Call"}));
        QCOMPARE(exchange.information.size(), 1);
        const QString& message = exchange.information[0];
        QVERIFY2(
            message.startsWith("Импорт: добавлено 2, пропущено 1") &&
                message.contains(QString::fromStdString(file) + ":15: пропущено: VTODO — не событие") &&
                message.contains(":13: примечание: не строка свойства, пропущена: «BROKEN LINE»"),
            qPrintable(message));
        // The same file dropped on the window comes in the same way.
        DropFile(form.get(), file);
        QCOMPARE(form->dayList->count(), 4);
        QCOMPARE(exchange.information.size(), 2);
        // The export writes every event; a name typed without its extension gets it.
        exchange.chosen = bench.Data("out");
        form->exportAction->trigger();
        const auto back = dataio::ReadICalendar(FileBytes(bench.Data("out.ics")));
        QCOMPARE(back.Records.size(), std::size_t{4});
        // A file that is no calendar: one error naming it, nothing added.
        WriteFile(bench.Data("empty.ics"), "");
        exchange.chosen = bench.Data("empty.ics");
        form->importAction->trigger();
        QCOMPARE(exchange.errors.size(), 1);
        QVERIFY(exchange.errors[0].contains("empty.ics"));
        QCOMPARE(form->dayList->count(), 4);
        QCOMPARE(exchange.dialogs,
                 (std::vector<FileDialogKind>{FileDialogKind::Open, FileDialogKind::Save,
                                              FileDialogKind::Open}));
    }

    void addressBookImportsByDropAndMenuAndExports() {
        PlannerBench bench;  // the program folder, clock and hooks
        Exchange exchange;
        StreamContainer container;
        const std::string file = bench.Data("phone.vcf");
        WriteFile(file, kContacts);
        TABookForm form(container);
        form.show();
        const int before = form.contactList->Count();
        // The message speaks the dictionary's language.
        std::filesystem::create_directories(bench.Data("../Lang"));
        WriteFile(bench.Data("../Lang/English.lng"),
                  "[Dictionary]\r\nLanguage=en\r\n\r\n[Messages]\r\nFormVersion=0\r\nImportDone_"
                  "Caption=Imported: "
                  "%1 added, %2 skipped, %3 simplified, %4 replaced, %5 left out.\r\n"
                  "ImportSkipped_Caption=%1:%2: skipped: %3\r\n"
                  "ImportNeverEnded_Caption=BEGIN:%1 is never ended\r\n");
        SettingsRecord.LanguageFile = "English.lng";
        DropFile(&form, file);
        QCOMPARE(form.contactList->Count(), before + 1);
        QCOMPARE(form.Contacts()[form.Contacts().Count() - 1].Tel1,
                 std::string("+7 900 000-00-00"));
        QCOMPARE(exchange.information.size(), 1);
        QVERIFY2(exchange.information[0].contains("1 added, 1 skipped") &&
                     exchange.information[0].contains(QString::fromStdString(file) +
                                                      ":6: skipped: BEGIN:VCARD is never ended"),
                 qPrintable(exchange.information[0]));
        SettingsRecord.LanguageFile.clear();
        exchange.chosen = file;
        form.importItem->trigger();
        QCOMPARE(form.contactList->Count(), before + 2);
        exchange.chosen = bench.Data("out.vcf");
        form.exportItem->trigger();
        QCOMPARE(dataio::ReadVCards(FileBytes(bench.Data("out.vcf"))).Records.size(),
                 form.Contacts().Count());
        QVERIFY(exchange.errors.isEmpty());
    }

    // CSV through the same menus: the file's name decides, and an export named without an
    // extension takes the chosen filter's.
    void csvComesInAndGoesOutThroughTheSameMenus() {
        PlannerBench bench;
        Exchange exchange;
        const std::string calendar = bench.Data("outlook.csv");
        WriteFile(calendar,
                  "\"Subject\",\"Start Date\",\"Start Time\",\"Description\"\r\n"
                  "\"Планёрка\",\"12/7/2026\",\"9:30:00 AM\",\"\"\r\n"
                  "\"Сломано\",\"31.02.2026\",\"\",\"\"\r\n");
        auto form = bench.Open();
        exchange.chosen = calendar;
        form->importAction->trigger();
        QCOMPARE(DayLines(*form), QStringList({"09:30 Планёрка"}));
        QVERIFY2(exchange.information.size() == 1 &&
                     exchange.information[0].startsWith("Импорт: добавлено 1, пропущено 1") &&
                     exchange.information[0].contains(QString::fromStdString(calendar) + ":3:"),
                 qPrintable(exchange.information.join('|')));
        exchange.chosen = bench.Data("events");
        exchange.filter = 1;
        form->exportAction->trigger();
        const auto events = dataio::ReadEventsCsv(FileBytes(bench.Data("events.csv")));
        QCOMPARE(events.Records.size(), std::size_t{1});
        QCOMPARE(events.Records[0].Name, Utf8ToCp1251("Планёрка"));

        StreamContainer container;
        TABookForm book(container);
        book.show();
        const int before = book.contactList->Count();
        WriteFile(bench.Data("google.csv"),
                  "Given Name,Family Name,Phone 1 - Value\nAnna,Berg,+49 1\n");
        exchange.chosen = bench.Data("google.csv");
        exchange.filter = 0;
        book.importItem->trigger();
        QCOMPARE(book.contactList->Count(), before + 1);
        exchange.chosen = bench.Data("book.csv");
        book.exportItem->trigger();
        QCOMPARE(dataio::ReadContactsCsv(FileBytes(bench.Data("book.csv"))).Records.size(),
                 book.Contacts().Count());
        QVERIFY(exchange.errors.isEmpty());
    }
};

QTEST_MAIN(ExchangeWindowsTest)
#include "exchange_windows_test.moc"
