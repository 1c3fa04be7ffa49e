// Every window of the program as a keyboard and screen-reader user meets it: in each section
// and with each of its panels laid over it, Tab reaches only what can be seen, every control
// that shows has a name, every tab list has one tab selected; and the month grid's selected
// day reads as its date.
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include "app/main_form.h"
#include "windows/planner/calendar_dialog.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/stream.h"
#include "storage/stream_container.h"
#include "kit/accessibility.h"
#include "kit/message.h"
#include "kit/month_grid.h"
#include "kit/setup_controls.h"

using namespace pomix;

namespace {

QString Describe(const QWidget* widget) {
    QString path;
    for (const QWidget* up = widget; up != nullptr && !up->isWindow(); up = up->parentWidget()) {
        path.prepend(QStringLiteral("/") + (up->objectName().isEmpty() ? up->metaObject()->className() : up->objectName()));
    }
    return path;
}

// What Tab stops at, as Qt decides it, walking the whole focus chain of the top window.
QList<QWidget*> TabStops(QWidget* top) {
    QList<QWidget*> stops;
    QWidget* w = top;
    do {
        w = w->nextInFocusChain();
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isVisible() && w->isEnabled() &&
            w->focusProxy() == nullptr && top->isAncestorOf(w)) {
            stops << w;
        }
    } while (w != top);
    return stops;
}

// A Tab stop that something else is drawn over: the widget found at its middle is not it.
QStringList HiddenTabStops(QWidget* top) {
    QStringList hidden;
    for (QWidget* stop : TabStops(top)) {
        const QPoint middle = stop->mapTo(top, stop->rect().center());
        QWidget* there = top->childAt(middle);
        if (there != stop && !stop->isAncestorOf(there)) {
            hidden << Describe(stop) + QStringLiteral(" under ") + (there ? Describe(there) : QStringLiteral("nothing"));
        }
    }
    return hidden;
}

bool IsControl(QAccessible::Role role) {
    switch (role) {
        case QAccessible::Button:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::List:
        case QAccessible::Table:
        case QAccessible::Tree:
        case QAccessible::SpinBox:
        case QAccessible::PageTab:
            return true;
        default:
            return false;
    }
}

QStringList UnnamedControls(QWidget* top) {
    QStringList unnamed;
    for (QWidget* widget : top->findChildren<QWidget*>()) {
        if (!widget->isVisible() || top->childAt(widget->mapTo(top, widget->rect().center())) == nullptr) continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        if (face == nullptr || !IsControl(face->role())) continue;
        if (face->text(QAccessible::Name).trimmed().isEmpty()) unnamed << Describe(widget);
    }
    return unnamed;
}

QStringList TabListsWithoutOneSelected(QWidget* top) {
    QStringList wrong;
    for (TTabList* list : top->findChildren<TTabList*>()) {
        if (!list->isVisible()) continue;
        int selected = 0, tabs = 0;
        for (QWidget* tab : list->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(tab);
            if (face->role() != QAccessible::PageTab) continue;
            ++tabs;
            if (face->state().selected) ++selected;
        }
        if (tabs < 2 || selected != 1) wrong << Describe(list) + QStringLiteral(": %1 of %2 selected").arg(selected).arg(tabs);
    }
    return wrong;
}

// The panels a section lays over its view: its hidden children that take a quarter of it or more.
QList<QWidget*> Panels(TSectionWindow* section) {
    QList<QWidget*> panels;
    for (QWidget* child : section->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QSize size = child->size();
        if (child->isHidden() && size.width() * size.height() * 4 >= section->width() * section->height()) panels << child;
    }
    return panels;
}

}  // namespace

class WindowAccessTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallAccessibility(); }
    void init();
    void cleanup();
    void everySectionAndPanelReadsAndTabsSensibly();
    void keyboardAloneAddsEditsSearchesAndDeletes_data();
    void keyboardAloneAddsEditsSearchesAndDeletes();
    void settingsByKeyboardAlone_data();
    void settingsByKeyboardAlone();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void WindowAccessTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QDir(dir_->path()).mkpath(QStringLiteral("Data"));
    SetProgramDir(dir_->path().toStdString());
    SettingsRecord = TSettingsRecord{};
    SetMessagePresenter([](MessageKind, const QString&) { return MessageAnswer::Ok; });
    TSettingsRecord settings;
    for (int i = 0; i < 6; ++i) settings.CategoryNames[i] = "Category " + std::to_string(i + 1);
    MemoryStream stream;
    pomix::WriteSettings(settings, stream);
    StreamContainer container;
    SaveSingleStream(container, DataDir() + kSettingsFileName, kSettingsStreamName, stream);
}

void WindowAccessTest::cleanup() {
    SetMessagePresenter({});
    SetProgramDir("");
}

void WindowAccessTest::everySectionAndPanelReadsAndTabsSensibly() {
    TMainForm main;
    TCalendarDialog picker;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    for (int i = 0; i < kSectionCount; ++i) QTRY_VERIFY(main.Display->Window(i)->Loaded());
    QStringList problems;
    const auto check = [&problems](QWidget* top, const QString& where) {
        QCoreApplication::processEvents();  // the names are given after a show
        for (const QString& p : HiddenTabStops(top)) problems << where + QStringLiteral(": Tab reaches hidden ") + p;
        for (const QString& p : UnnamedControls(top)) problems << where + QStringLiteral(": no name for ") + p;
        for (const QString& p : TabListsWithoutOneSelected(top)) problems << where + QStringLiteral(": tabs ") + p;
    };
    int panels = 0;
    for (int i = 0; i < kSectionCount; ++i) {
        main.Display->ShowWindow(i);
        TSectionWindow* section = main.Display->Window(i);
        check(&main, section->objectName());
        for (QWidget* panel : Panels(section)) {
            panel->show();
            panel->raise();
            check(&main, section->objectName() + QLatin1Char('/') + panel->objectName());
            panel->hide();
            ++panels;
        }
    }
    QVERIFY(panels >= 10);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    check(&picker, QStringLiteral("CalendarDialog"));
    for (const QString& p : problems) qWarning("%s", qPrintable(p));
    QVERIFY2(problems.isEmpty(), qPrintable(QString::number(problems.size()) + " problems"));

    // The picker's grid reads its selected day as the date it is.
    auto* grid = picker.findChild<TMonthGrid*>();
    grid->SetSelectedDate(QDate(2026, 12, 8));
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(grid)->tableInterface();
    QCOMPARE(table->selectedCells().size(), 1);
    QCOMPARE(table->selectedCells()[0]->text(QAccessible::Name), QStringLiteral("вторник, 8 декабря 2026"));
    picker.hide();
    QVERIFY(main.Shutdown());
}

namespace {

QWidget* Focused() { return QApplication::focusWidget(); }

// The focused control, or the drop-down whose edit line has the focus.
QString FocusedName() {
    QWidget* focus = Focused();
    if (focus == nullptr) return {};
    if (auto* box = qobject_cast<QComboBox*>(focus->parentWidget())) return box->objectName();
    return focus->objectName();
}

// Tab on from the focus until the control named name inside section has it.
bool TabTo(TSectionWindow* section, const char* name) {
    for (int step = 0; step < 80; ++step) {
        if (FocusedName() == QLatin1String(name) && section->isAncestorOf(Focused())) return true;
        QTest::keyClick(Focused(), Qt::Key_Tab);
    }
    qWarning("Tab never reached %s", name);
    return false;
}

// Replaces the focused field's text key by key (Cyrillic too, which QTest cannot spell).
void Type(const QString& text) {
    QTest::keyClick(Focused(), Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(Focused(), &press);
        QApplication::sendEvent(Focused(), &release);
    }
}

QString CurrentLine(QAbstractItemView* list) { return list->currentIndex().data().toString(); }

}  // namespace

void WindowAccessTest::keyboardAloneAddsEditsSearchesAndDeletes_data() {
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("first");  // the field the editor opens on
    QTest::addColumn<QString>("name");   // the field that names the record in the list
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("deleteButton");
    QTest::addColumn<QString>("searchField");  // empty: no search on the list itself
    QTest::addColumn<QString>("closeSearch");
    QTest::newRow("planner") << 0 << "AName" << "AName" << "Button6" << "Button1" << "Edit1" << "Button13";
    QTest::newRow("address book") << 1 << "SelectCategory" << "FFamile" << "Button11" << "Button1" << "Edit1" << "Button8";
    QTest::newRow("notes") << 2 << "AName" << "AName" << "Button9" << "Button1" << "Edit2" << "Button6";
    QTest::newRow("catalog") << 3 << "ACategoryEdit" << "ANameEdit" << "Button11" << "Button1" << "AFoundEdit" << "Button8";
    QTest::newRow("debts") << 4 << "AFistName" << "AFistName" << "Button6" << "Button3" << "" << "";
}

void WindowAccessTest::keyboardAloneAddsEditsSearchesAndDeletes() {
    QFETCH(int, section);
    QFETCH(QString, first);
    QFETCH(QString, name);
    QFETCH(QString, save);
    QFETCH(QString, deleteButton);
    QFETCH(QString, searchField);
    QFETCH(QString, closeSearch);
    SettingsRecord.ConfirmDelete = false;
    TMainForm main;
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.Display->ShowWindow(section);
    TSectionWindow* window = main.Display->Window(section);
    QTRY_VERIFY(window->Loaded());
    auto* list = window->findChild<QAbstractItemView*>(QStringLiteral("ListBox1"));
    list->setFocus();
    const auto press = [window](const QString& button) {
        if (!TabTo(window, button.toLatin1().constData())) return false;
        QTest::keyClick(Focused(), Qt::Key_Space);
        return true;
    };
    const auto add = [&](const QString& text) {
        if (!press(QStringLiteral("Button2"))) return false;
        if (FocusedName() != first) qWarning("the editor opened on %s", qPrintable(FocusedName()));
        if (FocusedName() != first || !TabTo(window, name.toLatin1().constData())) return false;
        Type(text);
        if (!TabTo(window, save.toLatin1().constData())) return false;
        QTest::keyClick(Focused(), Qt::Key_Return);
        return true;
    };

    // Added: the new line is the current one and the list has the focus.
    for (const QString& text : {QStringLiteral("Альфа"), QStringLiteral("Бета"), QStringLiteral("Гамма")}) {
        QVERIFY(add(text));
        QCOMPARE(Focused(), list);
        QVERIFY2(CurrentLine(list).contains(text), qPrintable(CurrentLine(list)));
    }
    // Edited from the line chosen with the arrows: Enter opens it as a double click does.
    QTest::keyClick(list, Qt::Key_Home);
    QVERIFY(CurrentLine(list).contains(QStringLiteral("Альфа")));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(FocusedName(), first);
    QVERIFY(TabTo(window, name.toLatin1().constData()));
    Type(QStringLiteral("Дельта"));
    QVERIFY(TabTo(window, save.toLatin1().constData()));
    QTest::keyClick(Focused(), Qt::Key_Return);
    QCOMPARE(Focused(), list);
    QVERIFY2(CurrentLine(list).contains(QStringLiteral("Дельта")), qPrintable(CurrentLine(list)));

    // Deleted: the next line takes its place and the focus.
    QTest::keyClick(list, Qt::Key_Home);
    const int lines = list->model()->rowCount(list->rootIndex());
    const QString second = list->model()->index(1, 0, list->rootIndex()).data().toString();
    QVERIFY(press(deleteButton));
    QCOMPARE(list->model()->rowCount(list->rootIndex()), lines - 1);
    QCOMPARE(Focused(), list);
    QCOMPARE(CurrentLine(list), second);

    if (searchField.isEmpty()) return;
    QVERIFY(press(QStringLiteral("Button4")));
    QCOMPARE(FocusedName(), searchField);
    Type(QStringLiteral("Гамма"));
    QTest::keyClick(Focused(), Qt::Key_Return);
    if (section == 0) {
        // The planner lists what it found apart; Enter on a result goes to its day and line.
        auto* results = window->findChild<QAbstractItemView*>(QStringLiteral("ListBox4"));
        QCOMPARE(results->model()->rowCount(), 1);
        QVERIFY(TabTo(window, "ListBox4"));
        QTest::keyClick(results, Qt::Key_Down);
        QTest::keyClick(results, Qt::Key_Return);
        QVERIFY(!results->isVisible());
        QVERIFY2(CurrentLine(list).contains(QStringLiteral("Гамма")), qPrintable(CurrentLine(list)));
        return;
    }
    QCOMPARE(list->model()->rowCount(list->rootIndex()), 1);
    QVERIFY(list->model()->index(0, 0, list->rootIndex()).data().toString().contains(QStringLiteral("Гамма")));
    QVERIFY(press(closeSearch));
    QCOMPARE(Focused(), list);  // back where the search began, not on a section button
}

void WindowAccessTest::settingsByKeyboardAlone_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("fields");  // the page's Tab stops, as they are read
    QTest::newRow("main") << 0
                          << "CheckBox1 CheckBox3 CheckBox2 Edit2 ComboBox1 Color1 Color2 Color3 "
                             "Color7 Button7 Color4 Color5 "
                             "Color6 Color8 Edit5 Button4";
    QTest::newRow("planner") << 1
                             << "CheckBox4 StringGrid1 Button2 Button3 MaskEdit2 Edit3 Button5";
    QTest::newRow("address book") << 2 << "MaskEdit1 CheckBox5";
    QTest::newRow("notes") << 3 << "";
    QTest::newRow("catalog") << 4 << "CatCap1 CatCap2 CatCap3 CatCap4 CatCap5 CatCap6";
    QTest::newRow("debts") << 5 << "Edit4";
}

// From the first tab, Right reaches the page (also across the two rows of tabs); Tab goes on
// through the later tabs, the page's fields in reading order, and "Сохранить".
void WindowAccessTest::settingsByKeyboardAlone() {
    QFETCH(int, page);
    QFETCH(QString, fields);
    TMainForm main;
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.Display->ShowWindow(5);
    TSectionWindow* window = main.Display->Window(5);
    QTRY_VERIFY(window->Loaded());
    auto* pages = window->findChild<TPageControl*>();
    pages->Tab(0)->setFocus();
    for (int i = 0; i < page; ++i) QTest::keyClick(Focused(), Qt::Key_Right);
    QCOMPARE(pages->CurrentIndex(), page);
    QCOMPARE(Focused(), pages->Tab(page));

    QStringList expected;
    for (int tab = page + 1; tab < pages->Count(); ++tab) expected << pages->Tab(tab)->objectName();
    expected << fields.split(QLatin1Char(' '), Qt::SkipEmptyParts) << QStringLiteral("Button1");
    QStringList reached;
    while (reached.size() < expected.size()) {
        QTest::keyClick(Focused(), Qt::Key_Tab);
        reached << FocusedName();
    }
    QCOMPARE(reached, expected);

    // A value changed and saved by keyboard alone.
    const TSettingsRecord before = SettingsRecord;
    if (page == 2) {
        QVERIFY(TabTo(window, "CheckBox5"));
        QTest::keyClick(Focused(), Qt::Key_Space);
    } else if (page == 5) {
        QVERIFY(TabTo(window, "Edit4"));
        Type(QStringLiteral("!!"));
    } else {
        return;
    }
    QVERIFY(TabTo(window, "Button1"));
    QTest::keyClick(Focused(), Qt::Key_Return);
    QCOMPARE(SettingsRecord.ShowAge, page == 2 ? !before.ShowAge : before.ShowAge);
    QCOMPARE(SettingsRecord.OverdueMark, page == 5 ? std::string("!!") : before.OverdueMark);
}

QTEST_MAIN(WindowAccessTest)
#include "window_access_test.moc"
