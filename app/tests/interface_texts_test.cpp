// Every window and panel in both shipped languages: no caption, label, column header, button
// or drop-down line wider than its control (the control's name is printed), and no text in the
// other language (the English windows hold no Cyrillic letter, the Russian ones no English word
// but the names kept on purpose below).
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QHeaderView>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <functional>

#include "app/main_form.h"
#include "windows/planner/calendar_dialog.h"
#include "core/settings/dictionary_tables.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/stream_container.h"
#include "kit/file_dialog.h"
#include "kit/memo_file.h"
#include "kit/message.h"
#include "kit/setup_controls.h"

using namespace pomix;

namespace {

void WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A control's name with the names of the windows and panels it sits in, for the report.
QString PathOf(const QWidget* control) {
    QStringList names;
    for (const QWidget* w = control; w; w = w->parentWidget()) {
        if (!w->objectName().isEmpty()) names.prepend(w->objectName());
    }
    return names.join(QLatin1Char('/'));
}

// The room a control gives its text, and the text; false for a control that shows none.
bool TextAndRoom(QWidget* control, QString& text, int& room) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        // Wrapped texts and pictures are sized by height; texts the window fills from records
        // (empty here) are user data.
        if (label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText) return false;
        text = label->text();
        room = label->contentsRect().width() - 2 * std::max(0, label->indent()) - 2 * label->margin();
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (button->text().isEmpty()) return false;
        text = button->text().remove(QLatin1Char('&'));
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        if (auto* wrapping = qobject_cast<TWrapCheckBox*>(button)) {
            // Its caption wraps: it fits when its lines fit the height.
            const QRect contentsRect = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button);
            const QRect lines = button->fontMetrics().boundingRect(QRect(0, 0, contentsRect.width(), 1000),
                                                                   Qt::TextWordWrap, text);
            room = lines.height() <= wrapping->contentsRect().height() ? lines.width() : 0;
            return true;
        }
        if (qobject_cast<QCheckBox*>(button)) contents = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<QRadioButton*>(button)) contents = QStyle::SE_RadioButtonContents;
        else if (!qobject_cast<QPushButton*>(button)) return false;
        room = button->style()->subElementRect(contents, &option, button).width();
        if (qobject_cast<QPushButton*>(button)) room -= 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin) / 2;
        return true;
    }
    return false;
}

// The words a Russian window keeps in Latin letters: the program's name, "e-mail" and "WWW"
// as Russian users write them, the version's "BETA", the dollar's code, the hints box's own "hints", the colour
// samples' "R" and the default categories' names (settings data, not interface).
// Qt's colour dialog keeps the notation's name "HTML", the playlist kind its player's "WinAmp".
const QStringList kKeptLatin = {"Pomix", "Po", "Mix", "e", "mail", "WWW", "USD", "hints", "R", "BETA", "Soft", "Music", "CD",
                                "Video", "Game", "HTML", "WinAmp"};

// Shows a modal dialog by open() and, once it is up, hands each of its shown controls to see
// before closing it.
void LookAtModal(const std::function<void()>& open, const std::function<void(QWidget*)>& see) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll.stop();
        see(dialog);
        for (QWidget* control : dialog->findChildren<QWidget*>()) {
            if (control->isVisibleTo(dialog)) see(control);
        }
        dialog->reject();
    });
    poll.start(20);
    open();
}

}  // namespace

class InterfaceTextsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyTextFitsAndSpeaksTheLanguage_data();
    void everyTextFitsAndSpeaksTheLanguage();
    void cleanupTestCase();

private:
    QTemporaryDir dir_;
};

void InterfaceTextsTest::initTestCase() {
    QDir(dir_.path()).mkpath("Data");
    QDir(dir_.path()).mkpath("Lang");
    SetProgramDir(dir_.path().toStdString());
    SetMessagePresenter([](MessageKind, const QString&) { return MessageAnswer::Ok; });
    const auto tables = ReadDictionaryTables(POMIX_LANG_DIR);
    WriteFile(dir_.filePath("Lang/Russian.lng"), MakeDictionary(tables, DictionaryLanguage::Russian));
    WriteFile(dir_.filePath("Lang/English.lng"), MakeDictionary(tables, DictionaryLanguage::English));
}

void InterfaceTextsTest::cleanupTestCase() {
    SetMessagePresenter({});
    SetProgramDir("");
}

void InterfaceTextsTest::everyTextFitsAndSpeaksTheLanguage_data() {
    QTest::addColumn<QString>("dictionary");
    QTest::newRow("Russian") << "Russian.lng";
    QTest::newRow("English") << "English.lng";
}

void InterfaceTextsTest::everyTextFitsAndSpeaksTheLanguage() {
    QFETCH(QString, dictionary);
    const bool english = dictionary.startsWith(QLatin1String("English"));
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
    TCalendarDialog picker(&main);
    picker.show();
    for (int i = 0; i < kSectionCount; ++i) main.Display->ShowWindow(i);
    const QList<QWidget*> windows{&main, &picker};  // the sections are inside the main window

    QStringList clipped, foreign;
    int measured = 0;
    const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
    const QRegularExpression latinWord(QStringLiteral("[A-Za-z]+"));
    const auto checkLanguage = [&](const QWidget* control, const QString& text) {
        if (english) {
            if (text.contains(cyrillic)) foreign << PathOf(control) + ": " + text;
            return;
        }
        // The program's own web and mail addresses stand as they are.
        if (text.contains(QLatin1Char('@')) || text.contains(QLatin1String("://"))) return;
        for (auto words = latinWord.globalMatch(text); words.hasNext();) {
            if (!kKeptLatin.contains(words.next().captured())) {
                foreign << PathOf(control) + ": " + text;
                return;
            }
        }
    };
    for (QWidget* window : windows) {
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (!control->toolTip().isEmpty()) checkLanguage(control, control->toolTip());
            if (!control->accessibleName().isEmpty()) checkLanguage(control, control->accessibleName());
            if (auto* box = qobject_cast<QComboBox*>(control)) {
                for (int i = 0; i < box->count(); ++i) checkLanguage(control, box->itemText(i));
            }
            QString text;
            int room = 0;
            if (!TextAndRoom(control, text, room)) continue;
            checkLanguage(control, text);
            ++measured;
            const int needed = qobject_cast<TWrapCheckBox*>(control)
                                   ? room
                                   : control->fontMetrics().horizontalAdvance(text.split(QLatin1Char('\n')).first());
            if (needed > room || room <= 0) clipped << QStringLiteral("%1: \"%2\" needs %3 px, has %4").arg(PathOf(control), text).arg(needed).arg(room);
        }
    }
    // Qt's own dialogs as the windows open them: the file dialog with the kinds of file a
    // window offers, the colour dialog, a message box (its title the program's name).
    QTemporaryDir files;
    QVERIFY(QFile(files.filePath("f.txt")).open(QIODevice::WriteOnly));
    QStringList titles;
    const auto seeDialog = [&](QWidget* control) {
        if (control->isWindow()) titles << control->windowTitle();
        // The folder's path, the places and the file names are the user's.
        if (control->objectName() == QLatin1String("lookInCombo") || qobject_cast<QAbstractItemView*>(control)) return;
        for (const QString& text : {control->windowTitle(), control->toolTip(), control->accessibleName()}) {
            if (!text.isEmpty()) checkLanguage(control, text);
        }
        if (auto* box = qobject_cast<QComboBox*>(control)) {
            for (int i = 0; i < box->count(); ++i) checkLanguage(control, box->itemText(i).section(QStringLiteral(" ("), 0, 0));
        }
        QString text;
        int room = 0;
        if (TextAndRoom(control, text, room)) checkLanguage(control, text);
        if (auto* header = qobject_cast<QHeaderView*>(control)) {
            for (int i = 0; i < header->count(); ++i) checkLanguage(control, header->model()->headerData(i, Qt::Horizontal).toString());
        }
    };
    LookAtModal([&] { ChooseFile(&main, FileDialogKind::Open, FilePurpose::Text, TextFileFilter(), files.path()); }, seeDialog);
    TColor colour = 0;
    LookAtModal([&] { ChooseColour(&main, colour); }, seeDialog);
    SetMessagePresenter({});
    LookAtModal([&] { ShowError(english ? QStringLiteral("Error") : QString::fromUtf8("Ошибка")); }, seeDialog);
    SetMessagePresenter([](MessageKind, const QString&) { return MessageAnswer::Ok; });
    QCOMPARE(titles.size(), 3);
    QCOMPARE(titles.last(), QStringLiteral("Pomix"));  // as the program's windows name it

    QVERIFY2(measured > 200, qPrintable(QString::number(measured)));
    QVERIFY2(clipped.isEmpty(), qPrintable("clipped:\n" + clipped.join(QLatin1Char('\n'))));
    QVERIFY2(foreign.isEmpty(), qPrintable("in the other language:\n" + foreign.join(QLatin1Char('\n'))));
    QVERIFY(main.Shutdown());
}

QTEST_MAIN(InterfaceTextsTest)
#include "interface_texts_test.moc"
