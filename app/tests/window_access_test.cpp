// Every window of the program as a keyboard and screen-reader user meets it: in each section
// and with each of its panels laid over it, Tab reaches only what can be seen, every control
// that shows has a name, every tab list has one tab selected; and the month grid's selected
// day reads as its date.
#include <QAccessible>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/main_form.h"
#include "planner/calendar_dialog.h"
#include "settings/program_files.h"
#include "settings/settings_record.h"
#include "storage/stream.h"
#include "storage/stream_container.h"
#include "ui/accessibility.h"
#include "ui/message.h"
#include "ui/month_grid.h"

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

QTEST_MAIN(WindowAccessTest)
#include "window_access_test.moc"
