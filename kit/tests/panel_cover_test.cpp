// Panels covering the controls beside them: disabled or hidden while shown, restored after.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "kit/panel_cover.h"

using namespace pomix;

class PanelCoverTest : public QObject {
    Q_OBJECT
private slots:
    void coveredControlsLeaveTheTabOrderAndComeBackAsTheyWere();
    void twoPanelsOverOneControlUncoverWhenBothHide();
};

void PanelCoverTest::coveredControlsLeaveTheTabOrderAndComeBackAsTheyWere() {
    QWidget window;
    auto* list = new QLineEdit(&window);
    auto* command = new QPushButton(QStringLiteral("Delete"), &window);
    auto* alreadyOff = new QPushButton(QStringLiteral("Off"), &window);
    alreadyOff->setEnabled(false);
    auto* view = new QWidget(&window);
    auto* panel = new QWidget(&window);
    auto* field = new QLineEdit(panel);
    panel->hide();
    CoverWhileShown(panel, {list, command, alreadyOff});
    CoverWhileShown(panel, {view}, CoverKind::Hide);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    panel->show();
    QVERIFY(!list->isEnabled() && !command->isEnabled() && view->isHidden());
    QVERIFY(IsCovered(list) && IsCovered(view) && !IsCovered(field));
    // Tab from the panel's field finds nothing covered.
    field->setFocus();
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() == field);
    }
    // A section switched away and back keeps the cover: only the panel's own hide counts.
    window.hide();
    window.show();
    QVERIFY(!list->isEnabled());

    panel->hide();
    QVERIFY(list->isEnabled() && command->isEnabled() && !view->isHidden());
    QVERIFY(!alreadyOff->isEnabled());
    QVERIFY(!IsCovered(list));
}

void PanelCoverTest::twoPanelsOverOneControlUncoverWhenBothHide() {
    QWidget window;  // never shown: tests drive windows off screen
    auto* list = new QLineEdit(&window);
    auto* editor = new QWidget(&window);
    auto* search = new QWidget(&window);
    search->show();  // a panel shown before its cover is made covers at once
    editor->hide();
    CoverWhileShown(search, {list});
    CoverWhileShown(editor, {list});
    QVERIFY(!list->isEnabled());
    editor->show();
    search->hide();
    QVERIFY(!list->isEnabled());
    editor->hide();
    QVERIFY(list->isEnabled());
    editor->hide();  // a second hide changes nothing
    QVERIFY(list->isEnabled());
}

QTEST_MAIN(PanelCoverTest)
#include "panel_cover_test.moc"
