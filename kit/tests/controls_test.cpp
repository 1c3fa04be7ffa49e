// The controls, the message layer, the desktop services and recolouring, driven headless.
#include <QCheckBox>
#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QScrollBar>
#include <QTreeView>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QToolTip>
#include <QUrl>

#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/errors.h"
#include "storage/locale.h"
#include "storage/report.h"
#include "kit/accessibility.h"
#include "kit/controls.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/file_dialog.h"
#include "kit/form_parts.h"
#include "kit/interface_language.h"
#include "kit/memo_file.h"
#include "kit/message.h"
#include "kit/recolour.h"

using namespace pomix;

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void sortedListKeepsCompareNoCaseOrder();
    void columnListTakesCellsAsTheyAre();
    void comboRefillKeepsWhatTheUserSees();
    void labelsShowTextPlainAndReportDoubleClicks();
    void desktopOpenerSeesWhatWouldBeOpened();
    void memoTextFileRoundTripAndUnreadableFileKeepsTheMemo();
    void fileDialogsOpenWhereTheirPurposeLastChose();
    void longListLinesAreCutNotScrolledTo();
    void fileDialogListsSizesAndDatesInTheInterfaceLanguage_data();
    void fileDialogListsSizesAndDatesInTheInterfaceLanguage();
    void maskEditGivesTheFixedWidthForms();
    void memoLinesAreCp1251();
    void gradientRunsInSixtySteps();
    void staticButtonClicksAndFrames();
    void messagesComeFromTheDictionaryAndReturnTheAnswer();
    void mailAndWebAddressesReachTheDesktop();
    void recolourByKindSkipsHostedWindows();
    void recolourRunsOnlyWhenItsFlagIsSet();
    void hintsFollowShowHints();
    void conversionsAtTheEdge();
    void ownerDrawnListPaintsEachLine();
    void reportsOfTheCoreBecomeErrorBoxes();
    void popupMenuOpensWhereTheListWasClicked();
    void longCaptionsShrinkToFitTheirControl();
    void oneLineDataIsCutWithAnEllipsisAndKeptWhole();
    void filledFieldsOpenAtTheirStart();
};

void ControlsTest::sortedListKeepsCompareNoCaseOrder() {
    TSortedListBox list;
    const char* lines[] = {"beta", "\xC0\xE1\xE2", "same", "\xE6\xF3\xEA", "Same", "\xA8\xEB\xEA\xE0",
                           "\xC5\xEB\xEA\xE0", "same", "Alpha"};
    for (quintptr i = 0; i < std::size(lines); ++i) list.AddItem(lines[i], i + 1);
    // Latin before Cyrillic, case ignored, Ё among the Е words, equal lines in the order
    // they came.
    const std::vector<std::string> expected = {"Alpha", "beta", "same", "Same", "same", "\xC0\xE1\xE2",
                                               "\xC5\xEB\xEA\xE0", "\xA8\xEB\xEA\xE0", "\xE6\xF3\xEA"};
    QCOMPARE(list.count(), 9);
    for (int row = 0; row < list.count(); ++row) QCOMPARE(ToQt(list.Line(row)), ToQt(expected[static_cast<std::size_t>(row)]));
    QCOMPARE(list.Object(0), quintptr(9));
    QCOMPARE(list.Object(2), quintptr(3));
    QCOMPARE(list.Object(4), quintptr(8));
    QCOMPARE(list.Text(5), QStringLiteral("Абв"));
}

void ControlsTest::columnListTakesCellsAsTheyAre() {
    TColumnListBox list;
    list.SetColumnWidths({100, 60, 40});
    QCOMPARE(list.columnCount(), 3);
    QCOMPARE(list.columnWidth(1), 60);
    list.AddRow({"\xC8\xE2\xE0\xED\xEE\xE2", "12.05.2020", "5"}, 7);
    list.AddRow({"a;b", "<b>c</b>", "d", "dropped"}, 8);  // a ";" never shifts a column
    list.AddRow({"only"}, 9);
    QCOMPARE(list.Cell(0, 0), QStringLiteral("Иванов"));
    QCOMPARE(list.Cell(0, 2), QStringLiteral("5"));
    QCOMPARE(list.Cell(1, 0), QStringLiteral("a;b"));
    QCOMPARE(list.Cell(1, 1), QStringLiteral("<b>c</b>"));
    QCOMPARE(list.Cell(1, 2), QStringLiteral("d"));
    QCOMPARE(list.Cell(2, 1), QString());
    QCOMPARE(list.Object(1), quintptr(8));
    QCOMPARE(list.RowOf(9), 2);
    QCOMPARE(list.RowOf(10), -1);
    list.SetCurrentRow(2);
    QCOMPARE(list.CurrentRow(), 2);
}

void ControlsTest::comboRefillKeepsWhatTheUserSees() {
    // A fixed list keeps its position and says nothing about the refill.
    TComboBox fixed;
    fixed.SetItems({"a", "b", "c"});
    QCOMPARE(fixed.currentIndex(), -1);  // filling never selects the first item
    fixed.setCurrentIndex(2);
    QSignalSpy changes(&fixed, &QComboBox::currentIndexChanged);
    fixed.SetItems({"x", "y", "z"});
    QCOMPARE(fixed.currentIndex(), 2);
    fixed.SetItems({"x"});
    QCOMPARE(fixed.currentIndex(), -1);
    QCOMPARE(changes.count(), 0);
    fixed.SetItems({"p", "q"});
    fixed.SetText("q");
    QCOMPARE(fixed.Text(), std::string("q"));

    // An editable one keeps the typed text, whether or not it is an item.
    TComboBox names;
    names.SetEditable(true);
    names.SetItems({"\xC8\xE2\xE0\xED\xEE\xE2", "Petrov"});
    names.SetText("Sidorov");
    names.SetItems({"\xC8\xE2\xE0\xED\xEE\xE2", "Petrov", "Zaitsev"});
    QCOMPARE(names.Text(), std::string("Sidorov"));
    QCOMPARE(names.currentIndex(), -1);
    names.SetText("Petrov");
    names.SetItems({"Abramov", "Petrov"});
    QCOMPARE(names.Text(), std::string("Petrov"));
    QCOMPARE(names.currentIndex(), 1);
    names.SetText("\xC8\xE2\xE0\xED\xEE\xE2");
    QCOMPARE(names.lineEdit()->text(), QStringLiteral("Иванов"));

    // Enter inserts nothing and a prefix is not completed into an item.
    names.show();
    names.lineEdit()->clear();
    QTest::keyClicks(names.lineEdit(), "Ab");
    QTest::keyClick(names.lineEdit(), Qt::Key_Return);
    QCOMPARE(names.count(), 2);
    QCOMPARE(names.Text(), std::string("Ab"));
}

void ControlsTest::labelsShowTextPlainAndReportDoubleClicks() {
    TLabel label(QStringLiteral("<img src=x>"));
    TStaticButton strip(QStringLiteral("<b>bold</b>"));
    QCOMPARE(label.textFormat(), Qt::PlainText);
    QCOMPARE(strip.textFormat(), Qt::PlainText);
    label.resize(100, 20);
    QSignalSpy doubleClicks(&label, &TLabel::doubleClicked);
    QTest::mouseDClick(&label, Qt::LeftButton);
    QCOMPARE(doubleClicks.count(), 1);
}

void ControlsTest::desktopOpenerSeesWhatWouldBeOpened() {
    QList<QUrl> opened;
    SetDesktopOpener([&opened](const QUrl& url) { opened << url; });
    ShellOpen("/tmp/a b.txt");
    WebOpen("www.x.ru");
    ShellOpen("");
    SetDesktopOpener({});
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0], QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")));
    QCOMPARE(opened[1], QUrl(QStringLiteral("http://www.x.ru")));
}

void ControlsTest::memoTextFileRoundTripAndUnreadableFileKeepsTheMemo() {
    const QString folder = QDir::tempPath() + QStringLiteral("/pomix-memo-%1").arg(QCoreApplication::applicationPid());
    QDir().mkpath(folder);
    const std::string path = (folder + QStringLiteral("/memo.txt")).toStdString();
    QStringList errors;
    const MessagePresenter previousPresenter = SetMessagePresenter([&errors](MessageKind, const QString& text) {
        errors << text;
        return MessageAnswer::Ok;
    });
    std::string chosen = path;
    int filterSeen = -1;
    SetFileChooser([&](FileDialogKind, const QString& filter, const QString&) {
        filterSeen = static_cast<int>(filter.count(QLatin1Char('|')));
        return ChosenFile(chosen, 1);
    });
    QObject window;
    const TTextFileMessages messages(&window);

    TMemo source, target;
    source.SetLines({"\xCF\xF0\xE8\xE2\xE5\xF2", "line two"});
    QVERIFY(SaveMemoToTextFile(nullptr, &source, messages));
    QCOMPARE(filterSeen, 3);  // two filters, four parts
    QVERIFY(LoadMemoFromTextFile(nullptr, &target, messages));
    QCOMPARE(target.Lines(), source.Lines());

    chosen = path + ".absent";
    QVERIFY(!LoadMemoFromTextFile(nullptr, &target, messages));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0], QString::fromUtf8("Не удалось прочитать файл %1. Текст не изменён.").arg(QString::fromStdString(chosen)));
    QCOMPARE(target.Lines(), source.Lines());  // nothing replaced
    chosen.clear();                             // cancelled: no message, no change
    QVERIFY(!LoadMemoFromTextFile(nullptr, &target, messages));
    QCOMPARE(errors.size(), 1);

    SetFileChooser({});
    SetMessagePresenter(previousPresenter);
    QDir(folder).removeRecursively();
}

void ControlsTest::fileDialogsOpenWhereTheirPurposeLastChose() {
    ForgetChosenFolders();
    QString openedIn;
    std::string answer;
    SetFileChooser([&](FileDialogKind, const QString&, const QString& folder) {
        openedIn = folder;
        return ChosenFile(answer, 1);
    });
    const struct {
        FilePurpose purpose;
        const char* firstFolder;
        const char* answer;  // empty: cancelled
        const char* openedIn;
    } steps[] = {
        {FilePurpose::Text, "", "/home/u/texts/a.txt", ""},
        {FilePurpose::Text, "/ignored", "", "/home/u/texts"},  // a cancel forgets nothing
        {FilePurpose::Text, "", "/home/u/other/b.txt", "/home/u/texts"},
        {FilePurpose::Text, "", "", "/home/u/other"},
        {FilePurpose::Sound, "/opt/pomix/Media", "", "/opt/pomix/Media"},
        {FilePurpose::Contacts, "", "/tmp/c.vcf", ""},
        {FilePurpose::Calendar, "", "", ""},
        {FilePurpose::Contacts, "", "", "/tmp"},
    };
    for (const auto& step : steps) {
        answer = step.answer;
        const ChosenFile chosen = ChooseFile(nullptr, FileDialogKind::Open, step.purpose, TextFileFilter(),
                                             QString::fromUtf8(step.firstFolder));
        QCOMPARE(openedIn, QString::fromUtf8(step.openedIn));
        QCOMPARE(chosen.Path, answer);
        QCOMPARE(chosen.Filter, 1);
    }
    SetFileChooser({});
    ForgetChosenFolders();
}

void ControlsTest::fileDialogListsSizesAndDatesInTheInterfaceLanguage_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("sizes");  // of 1, 5 and 5000 bytes
    QTest::newRow("Russian") << "ru" << QStringList{"1 Б", "5 Б", "4,88 кБ"};
    QTest::newRow("English") << "en" << QStringList{"1 byte", "5 bytes", "4.88 KiB"};
}

// Qt's list of files writes sizes and dates by the system's locale: under LC_ALL=C a Russian
// dialog read "5 bytes" and "9 Dec"; by the Russian locale's data "5 байты" and "4,88 KiB".
void ControlsTest::fileDialogListsSizesAndDatesInTheInterfaceLanguage() {
    QFETCH(QString, language);
    QFETCH(QStringList, sizes);
    SetInterfaceLanguage(language.toStdString());
    const std::shared_ptr<void> backToRussian(nullptr, [](void*) { SetInterfaceLanguage("ru"); });
    QTemporaryDir folder;
    QStringList names;
    for (const int bytes : {1, 5, 5000}) {
        names << QStringLiteral("f%1.txt").arg(bytes);
        QFile file(folder.filePath(names.back()));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(bytes, 'x')) == bytes);
    }
    ForgetChosenFolders();
    QStringList shown(names.size());
    QString date;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        const QAbstractItemModel* model = list ? list->model() : nullptr;
        for (int row = 0; model && row < model->rowCount(list->rootIndex()); ++row) {
            const auto cell = [&](int column) { return model->index(row, column, list->rootIndex()).data().toString(); };
            if (const auto at = names.indexOf(cell(0)); at >= 0) shown[at] = cell(1);
            if (cell(0) == names[0]) date = cell(3);
        }
        if (!shown.contains(QString()) || waited.elapsed() > 5000) dialog->reject();
    });
    poll.start(50);
    const ChosenFile chosen = ChooseFile(nullptr, FileDialogKind::Open, FilePurpose::Text, TextFileFilter(), folder.path());
    QVERIFY(chosen.Path.empty());
    QCOMPARE(shown, sizes);
    QCOMPARE(date, InterfaceLocale().toString(QFileInfo(folder.filePath(names[0])).lastModified(), QLocale::ShortFormat));
}

void ControlsTest::maskEditGivesTheFixedWidthForms() {
    TMaskEdit date(TMaskEdit::Kind::Date), time(TMaskEdit::Kind::Time);
    QCOMPARE(date.Text(), std::string("  .  .    "));
    QCOMPARE(time.Text(), std::string("  :  "));
    date.SetText("07.12.2026");
    time.SetText("09:05");
    QCOMPARE(date.Text(), std::string("07.12.2026"));
    QCOMPARE(time.Text(), std::string("09:05"));
    date.Clear();
    date.show();
    QVERIFY(QTest::qWaitForWindowExposed(&date));
    date.setCursorPosition(0);
    QTest::keyClicks(&date, "3112");
    QCOMPARE(QString::fromStdString(date.Text()), QStringLiteral("31.12.    "));
    QTest::keyClicks(&date, "x");  // not a digit: refused
    QCOMPARE(QString::fromStdString(date.Text()), QStringLiteral("31.12.    "));
}

void ControlsTest::memoLinesAreCp1251() {
    TMemo memo;
    QVERIFY(memo.Lines().empty());
    const StrList lines = {"\xCF\xF0\xE8\xE2\xE5\xF2", "", "end"};
    memo.SetLines(lines);
    QCOMPARE(memo.toPlainText(), QStringLiteral("Привет\n\nend"));
    QCOMPARE(memo.Lines(), lines);
}

void ControlsTest::gradientRunsInSixtySteps() {
    TGradientPanel panel;
    panel.resize(20, 120);
    panel.SetColours(QColor(0, 0, 0), QColor(236, 118, 59));
    QCOMPARE(panel.StepColor(0), QColor(0, 0, 0));
    QCOMPARE(panel.StepColor(59), QColor(236, 118, 59));
    QCOMPARE(panel.StepColor(30), QColor(120, 60, 30));
    const QImage image = panel.grab().toImage();
    QCOMPARE(image.pixelColor(10, 0), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(10, 119), QColor(236, 118, 59));
    // Each of the 60 bands is two rows high here.
    QCOMPARE(image.pixelColor(10, 2), panel.StepColor(1));
    QCOMPARE(image.pixelColor(10, 3), panel.StepColor(1));
}

void ControlsTest::staticButtonClicksAndFrames() {
    TStaticButton button(QStringLiteral("Заметки"));
    button.resize(100, 15);
    QSignalSpy clicked(&button, &TStaticButton::clicked);
    QVERIFY(!button.HasBorder());
    button.SetBorder(true);
    QVERIFY(button.HasBorder());
    QCOMPARE(button.frameShape(), QFrame::Box);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::RightButton);
    QCOMPARE(clicked.count(), 1);
}

void ControlsTest::messagesComeFromTheDictionaryAndReturnTheAnswer() {
    // The texts: built in, from the bound dictionary's "Messages" section, or the built-in
    // one where the dictionary lacks the item; "\n" in a value is a line break.
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Lang"));
    QFile dictionary(dir.filePath(QStringLiteral("Lang/English.lng")));
    QVERIFY(dictionary.open(QIODevice::WriteOnly));
    dictionary.write(
        "[Messages]\r\nFormVersion=0\r\nDeleteQuestion_Caption=Delete the record?\r\n"
        "SaveFailed_Caption=Not saved: %1\\nKept.\r\n");
    dictionary.close();
    SetProgramDir(dir.path().toStdString());
    const std::string oldLanguage = SettingsRecord.LanguageFile;
    const struct {
        const char* languageFile;
        const char* name;
        QString text;
    } cases[] = {
        {"", "DeleteQuestion", QString::fromUtf8("Удалить запись ?")},
        {"English.lng", "DeleteQuestion", QStringLiteral("Delete the record?")},
        {"English.lng", "SaveFailed", QStringLiteral("Not saved: %1\nKept.")},
        {"English.lng", "IncorrectDate", QString::fromUtf8("Не верный формат Даты !")},
        {"Missing.lng", "DeleteQuestion", QString::fromUtf8("Удалить запись ?")},
        {"", "NoSuchMessage", QStringLiteral("NoSuchMessage")},
    };
    for (const auto& c : cases) {
        SettingsRecord.LanguageFile = c.languageFile;
        QCOMPARE(MessageString(c.name), c.text);
    }
    SettingsRecord.LanguageFile = oldLanguage;
    SetProgramDir("");

    // The reason given for a storage error: the most particular kind wins (a file standing
    // where a folder belongs is a file error too, a damaged copy is no access problem).
    const struct {
        std::exception_ptr error;
        const char* reason;
    } reasons[] = {
        {std::make_exception_ptr(ENotAFolder("/data/Backup")), "ReasonNotFolder"},
        {std::make_exception_ptr(EFileError::CannotOpen("/data/Note.dat")), "ReasonNoAccess"},
        {std::make_exception_ptr(ECorruptFile("copy")), "ReasonDamaged"},
        {std::make_exception_ptr(EStreamWriteError()), "ReasonDiskFull"},
        {std::make_exception_ptr(std::runtime_error("other")), "ReasonOther"},
    };
    for (const auto& c : reasons) QCOMPARE(FileFailureReason(c.error), MessageString(c.reason));

    QList<QPair<MessageKind, QString>> shown;
    auto previous = SetMessagePresenter([&](MessageKind kind, const QString& text) {
        shown.append({kind, text});
        return kind == MessageKind::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
    });
    ShowError(QStringLiteral("e"));
    QVERIFY(AskYesNo(QStringLiteral("q")));
    SetMessagePresenter([](MessageKind, const QString&) { return MessageAnswer::No; });
    QVERIFY(!AskYesNo(QStringLiteral("q")));
    SetMessagePresenter(previous);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].first, MessageKind::Error);
    QCOMPARE(shown[0].second, QStringLiteral("e"));
    QCOMPARE(shown[1].first, MessageKind::Question);
}

void ControlsTest::mailAndWebAddressesReachTheDesktop() {
    UrlCatcher catcher;
    for (const char* scheme : {"mailto", "http", "https", "ftp"}) {
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "Open");
    }
    MailOpen("");
    WebOpen("");
    QVERIFY(catcher.opened.isEmpty());
    MailOpen("user@example.com");
    WebOpen("example.com/a b");
    WebOpen("http://example.com/x");
    WebOpen("https://example.com");  // opened as it stands
    ShellOpen("ftp://host/file; rm -rf ~");
    for (const char* scheme : {"mailto", "http", "https", "ftp"}) {
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QCOMPARE(catcher.opened.size(), 5);
    QCOMPARE(catcher.opened[0].toString(), QStringLiteral("mailto:user@example.com"));
    QCOMPARE(catcher.opened[1].host(), QStringLiteral("example.com"));
    QCOMPARE(catcher.opened[1].path(), QStringLiteral("/a b"));
    QCOMPARE(catcher.opened[2].toString(), QStringLiteral("http://example.com/x"));
    QCOMPARE(catcher.opened[3].toString(), QStringLiteral("https://example.com"));
    // The whole text stays one address: nothing of it is run.
    QCOMPARE(catcher.opened[4].scheme(), QStringLiteral("ftp"));
    QVERIFY(catcher.opened[4].toString().contains(QStringLiteral("rm -rf")));
}

namespace {

TSettingsRecord Colours() {
    TSettingsRecord s;
    s.EditColor = 0x0000FF01;       // edits
    s.WindowColor = 0x00000002;     // windows
    s.AccentColor = 0x00000003;     // accents
    s.EditTextColor = 0x00000004;
    s.LabelTextColor = 0x00000005;
    s.ButtonTextColor = 0x00000006;
    return s;
}

}  // namespace

void ControlsTest::recolourByKindSkipsHostedWindows() {
    QWidget window;
    auto* gradient = Make<TGradientPanel>(&window, "Gradient", {0, 0, 10, 10});
    auto* title = Make<TStaticButton>(&window, "Text1", {0, 0, 10, 10}, QString());
    auto* button = Make<TButton>(&window, "Button1", {0, 0, 10, 10}, QString());
    auto* panel = Make<TPanel>(&window, "Panel1", {0, 0, 10, 10});
    auto* label = Make<TLabel>(panel, "Label1", {0, 0, 10, 10}, QString());
    auto* edit = Make<TEdit>(panel, "Edit1", {0, 0, 10, 10});
    auto* list = Make<TSortedListBox>(&window, "ListBox1", {0, 0, 10, 10});
    auto* kept = Make<TEdit>(&window, "Edit2", {0, 0, 10, 10});
    KeepOwnColours(kept);
    auto* hosted = Make<QWidget>(&window, "Hosted", {0, 0, 10, 10});
    MarkAsWindow(hosted);
    auto* hostedEdit = Make<TEdit>(hosted, "Edit3", {0, 0, 10, 10});
    const QColor keptBase = kept->palette().color(QPalette::Base);

    const TSettingsRecord s = Colours();
    RecolourControls(&window, s);
    QCOMPARE(gradient->StartColor(), ToQColor(s.WindowColor));
    QCOMPARE(gradient->EndColor(), ToQColor(s.AccentColor));
    QCOMPARE(title->palette().color(QPalette::Window), ToQColor(s.AccentColor));
    QCOMPARE(title->palette().color(QPalette::WindowText), ToQColor(s.ButtonTextColor));
    QCOMPARE(button->palette().color(QPalette::Button), ToQColor(s.AccentColor));
    QCOMPARE(button->palette().color(QPalette::ButtonText), ToQColor(s.ButtonTextColor));
    QCOMPARE(panel->palette().color(QPalette::Window), ToQColor(s.WindowColor));
    QCOMPARE(label->palette().color(QPalette::Window), ToQColor(s.WindowColor));
    QCOMPARE(label->palette().color(QPalette::WindowText), ToQColor(s.LabelTextColor));
    QCOMPARE(edit->palette().color(QPalette::Base), ToQColor(s.EditColor));
    QCOMPARE(edit->palette().color(QPalette::Text), ToQColor(s.EditTextColor));
    QCOMPARE(list->palette().color(QPalette::Base), ToQColor(s.EditColor));
    QCOMPARE(list->palette().color(QPalette::Highlight), ToQColor(s.AccentColor));
    QCOMPARE(kept->palette().color(QPalette::Base), keptBase);
    QVERIFY(hostedEdit->palette().color(QPalette::Base) != ToQColor(s.EditColor));
    QCOMPARE(FindControl(&window, QStringLiteral("Edit3")), nullptr);
    QCOMPARE(FindControl<TLabel>(&window, QStringLiteral("Label1")), label);
}

void ControlsTest::recolourRunsOnlyWhenItsFlagIsSet() {
    QWidget window;
    auto* edit = Make<TEdit>(&window, "Edit1", {0, 0, 10, 10});
    SettingsRecord = Colours();
    RecolourPending.fill(0);
    RecolourPending[kRecolourNotes] = 1;
    int extras = 0;
    QVERIFY(ApplyColoursOnce(kRecolourNotes, &window, [&] { ++extras; }));
    QCOMPARE(edit->palette().color(QPalette::Base), ToQColor(SettingsRecord.EditColor));
    QCOMPARE(RecolourPending[kRecolourNotes], std::uint8_t(0));
    // Cleared: a second show changes nothing, even after the colours changed.
    SettingsRecord.EditColor = 0x00123456;
    QVERIFY(!ApplyColoursOnce(kRecolourNotes, &window, [&] { ++extras; }));
    QCOMPARE(extras, 1);
    QVERIFY(edit->palette().color(QPalette::Base) != ToQColor(0x00123456));
    // Another window's flag is its own.
    QCOMPARE(RecolourPending[kRecolourCatalog], std::uint8_t(0));
    QVERIFY(!ApplyColoursOnce(kRecolourCatalog, &window));
    QVERIFY(!ApplyColoursOnce(99, &window));
}

void ControlsTest::hintsFollowShowHints() {
    QWidget window;
    auto* edit = Make<TEdit>(&window, "Edit1", {0, 0, 10, 10});
    edit->setToolTip(QStringLiteral("hint"));
    SettingsRecord.ShowHints = false;
    RecolourPending.fill(1);
    ApplyColoursOnce(kRecolourNotes, &window);
    QVERIFY(!HintsShown(edit));
    SettingsRecord.ShowHints = true;
    RecolourPending.fill(1);
    ApplyColoursOnce(kRecolourNotes, &window);
    QVERIFY(HintsShown(edit));
    QCOMPARE(edit->toolTip(), QStringLiteral("hint"));  // the text itself is kept
}

void ControlsTest::conversionsAtTheEdge() {
    QCOMPARE(ToQt(std::string("\xC0\xE1\xE2 \xA8")), QStringLiteral("Абв Ё"));
    QCOMPARE(FromQt(QStringLiteral("Абв Ё")), std::string("\xC0\xE1\xE2 \xA8"));
    DateTime day = 0;
    QVERIFY(TryEncodeDate(2024, 2, 29, day));
    QCOMPARE(ToQDate(day + 0.75), QDate(2024, 2, 29));
    QCOMPARE(FromQDate(QDate(2024, 2, 29)), day);
    QCOMPARE(ToQDate(0), QDate(1899, 12, 30));
    QVERIFY(!ToQDate(1e12).isValid());
    QCOMPARE(FromQDate(QDate()), 0.0);
    QCOMPARE(ToQColor(0x00FF8001), QColor(1, 0x80, 0xFF));
    QCOMPARE(FromQColor(QColor(1, 0x80, 0xFF)), TColor(0x00FF8001));
}

void ControlsTest::ownerDrawnListPaintsEachLine() {
    TOwnerDrawListBox list;
    list.resize(100, 60);
    list.SetItemHeight(15);
    QList<QPair<int, bool>> drawn;
    list.SetDrawItem([&](QPainter& painter, const QRect& rect, int row, bool selected) {
        drawn.append({row, selected});
        painter.fillRect(rect, row == 1 ? Qt::red : Qt::blue);
    });
    list.AddItem(QStringLiteral("a"), 10);
    list.AddItem(QStringLiteral("b"), 20);
    list.setCurrentRow(1);
    const QImage image = list.grab().toImage();
    QVERIFY(drawn.contains({0, false}));
    QVERIFY(drawn.contains({1, true}));
    QCOMPARE(list.visualItemRect(list.item(1)).height(), 15);
    const QPoint inSecond = list.visualItemRect(list.item(1)).center() + list.viewport()->pos();
    QCOMPARE(image.pixelColor(inSecond), QColor(Qt::red));
    QCOMPARE(list.Object(1), quintptr(20));
}

void ControlsTest::reportsOfTheCoreBecomeErrorBoxes() {
    QStringList shown;
    auto previous = SetMessagePresenter([&](MessageKind kind, const QString& text) {
        if (kind == MessageKind::Error) shown << text;
        return MessageAnswer::Ok;
    });
    InstallDesktopServices();
    TextToDate("31.02.2024");  // no such day: reported, a fallback returned
    SetMessagePresenter(previous);
    QCOMPARE(shown, QStringList{QString::fromUtf8("Не верный формат Даты !")});
    // The interface language's date forms (Russian by default), through the day count.
    DateTime day = 0;
    QVERIFY(TryEncodeDate(2026, 12, 7, day));
    QCOMPARE(ToQt(CurrentLocale().ShortDate(day)), QStringLiteral("07.12.2026"));
    QCOMPARE(ToQt(CurrentLocale().LongDate(day)), QString::fromUtf8("понедельник, 7 декабря 2026 г."));
    SetReportHook({});
    SetLocale(nullptr);
}

void ControlsTest::popupMenuOpensWhereTheListWasClicked() {
    QWidget window;
    window.resize(300, 200);
    auto* list = new QListWidget(&window);
    list->setGeometry(20, 20, 200, 150);
    list->setFrameStyle(QFrame::Box | QFrame::Plain);
    list->setLineWidth(3);  // a wide frame: the viewport lies inside it
    int added = 0;
    struct Receiver : QObject {
        int* count;
        void Add() { ++*count; }
    } receiver;
    receiver.count = &added;
    QMenu* menu = MakePopupMenu(&window, "PopupMenu1", list, "Меню записей");
    QAction* add = AddMenuItem(menu, "N2", "Добавить", &receiver, &Receiver::Add);
    QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu1"));
    QCOMPARE(add->objectName(), QStringLiteral("N2"));
    QCOMPARE(add->text(), QString::fromUtf8("Добавить"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    emit list->customContextMenuRequested(QPoint(10, 10));
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), list->viewport()->mapToGlobal(QPoint(10, 10)));
    add->trigger();
    QCOMPARE(added, 1);
    menu->close();
}

void ControlsTest::longCaptionsShrinkToFitTheirControl() {
    QFont font;
    font.setPixelSize(11);
    const auto made = [&font](const char* caption) {
        auto* label = new TStaticButton(QString::fromUtf8(caption));
        label->setGeometry(0, 0, 100, 15);
        label->setFont(font);
        FitCaption(label);
        return std::unique_ptr<TStaticButton>(label);
    };
    const auto fitting = made("Заметки");
    QCOMPARE(fitting->font().pixelSize(), 11);
    const auto wide = made("Записная книжка и ещё немного");
    QVERIFY(wide->font().pixelSize() < 11);
    QVERIFY(wide->font().pixelSize() >= 8);
    const auto longest = made("Очень длинная надпись, которой не хватит никакого места");
    QCOMPARE(longest->font().pixelSize(), 8);  // never smaller than readable
}

QTEST_MAIN(ControlsTest)
void ControlsTest::oneLineDataIsCutWithAnEllipsisAndKeptWhole() {
    InstallAccessibility();
    QWidget window;
    SetHintsShown(&window, false);  // the whole text is data: it shows without hints too
    auto* phone = Make<TLabel>(&window, "LTel1", {0, 0, 90, 18}, QString());
    auto* title = Make<TStaticButton>(&window, "Text1", {0, 20, 90, 20}, QString());
    title->SetBorder(true);
    title->setToolTip(QStringLiteral("hint"));
    window.show();
    const QString longText = QStringLiteral("+7 (495) 123-45-67, 8 (800) 000-00-00");
    for (TPressableText* text : std::initializer_list<TPressableText*>{phone, title}) {
        const auto fits = [text] {
            return text->fontMetrics().horizontalAdvance(text->text()) <= text->contentsRect().width();
        };
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(text);
        text->SetElidedText(QStringLiteral("+7"));
        QVERIFY(!text->Elided());
        QCOMPARE(text->text(), QStringLiteral("+7"));
        QCOMPARE(reader->text(QAccessible::Description), text->toolTip());  // the hint, if any

        text->SetElidedText(longText);
        QVERIFY(text->Elided());
        QVERIFY2(text->text().endsWith(QChar(0x2026)) && fits(), qPrintable(text->text()));
        QVERIFY(!text->wordWrap());
        QCOMPARE(text->FullText(), longText);
        QCOMPARE(reader->text(QAccessible::Name), longText);
        QCOMPARE(reader->text(QAccessible::Description), longText);
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), text->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(text, &help);
        QVERIFY2(QToolTip::text().startsWith(longText), qPrintable(QToolTip::text()));
        QToolTip::hideText();

        text->resize(600, text->height());  // room for it all: shown whole again
        QCOMPARE(text->text(), longText);
        QVERIFY(!text->Elided());
        text->resize(90, text->height());
        QVERIFY(text->Elided() && fits());
        text->clear();  // cleared by hand: nothing of the old text stays
        QCOMPARE(text->FullText(), QString());
        text->resize(95, text->height());
        QCOMPARE(text->text(), QString());
        QCOMPARE(reader->text(QAccessible::Description), text->toolTip());  // the hint, if any
    }

    // A two-line field: the first line breaks at a word, the second is the one cut.
    auto* address = Make<TLabel>(&window, "LAddress", {0, 42, 120, 40}, QString());
    const QString twoLines = QStringLiteral("Москва, ул. Ленина, дом 1");
    const QString longAddress = twoLines + QStringLiteral(", корпус 2, квартира 345, подъезд 6");
    address->SetElidedText(twoLines, 2);
    QVERIFY2(!address->Elided() && address->text().count(QLatin1Char('\n')) == 1, qPrintable(address->text()));
    QCOMPARE(address->text().simplified(), twoLines);
    address->SetElidedText(longAddress, 2);
    const QStringList shown = address->text().split(QLatin1Char('\n'));
    QVERIFY2(address->Elided() && shown.size() == 2 && shown[1].endsWith(QChar(0x2026)), qPrintable(address->text()));
    QVERIFY(longAddress.startsWith(shown[0] + QLatin1Char(' ')));
    for (const QString& line : shown) QVERIFY(address->fontMetrics().horizontalAdvance(line) <= address->contentsRect().width());
    QCOMPARE(QAccessible::queryAccessibleInterface(address)->text(QAccessible::Name), longAddress);
}

void ControlsTest::longListLinesAreCutNotScrolledTo() {
    QWidget window;
    SetHintsShown(&window, false);
    auto* list = Make<TSortedListBox>(&window, "ListBox1", {0, 0, 120, 80});
    list->setToolTip(QStringLiteral("hint"));
    const std::string longLine(60, 'W');
    list->AddItem("short", 1);
    list->AddItem(longLine, 2);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(list->RowRect(0).width() <= list->viewport()->width());
    QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
    const auto tipOver = [list](int row) {
        QToolTip::hideText();  // it fades out
        for (int wait = 0; wait < 100 && QToolTip::isVisible(); ++wait) QTest::qWait(20);
        const QPoint at = list->RowRect(row).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(list->Text(1), QString::fromStdString(longLine));
    QCOMPARE(tipOver(1), QString::fromStdString(longLine));  // with hints off too
    QCOMPARE(tipOver(0), QString());  // a whole line has none; the list's hint stays off
    QToolTip::hideText();
}

void ControlsTest::filledFieldsOpenAtTheirStart() {
    const std::string longText(200, 'x');
    TEdit edit;
    TComboBox combo;
    combo.SetEditable(true);
    TMaskEdit date(TMaskEdit::Kind::Date);
    edit.SetText(longText);
    combo.SetText(longText);
    date.SetText("08.12.2026");
    const struct {
        const char* name;
        QLineEdit* field;
    } fields[] = {{"edit", &edit}, {"drop-down", combo.lineEdit()}, {"date", &date}};
    for (const auto& f : fields) {
        QVERIFY2(!f.field->text().isEmpty(), f.name);
        QVERIFY2(f.field->cursorPosition() == 0, f.name);
    }
}

#include "controls_test.moc"
