// The month grid's marks, its two header variants and its day reports; the up/down arrows.
#include <QSignalSpy>
#include <QTest>

#include "kit/month_grid.h"
#include "kit/spin_button.h"

using namespace pomix;

namespace {

bool CellHasColour(const QImage& image, const QRect& cell, const QColor& colour) {
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

}  // namespace

class MonthGridTest : public QObject {
    Q_OBJECT
private slots:
    void marksDrawTheirTextAndALoweredFrame() {
        TMonthGrid grid;
        grid.resize(246, 176);
        TMonthGrid::Colours colours;
        colours.Marked = QColor(0xFF, 0x00, 0x00);
        colours.MarkFrame = QColor(0x00, 0x00, 0xC0);
        colours.DayText = Qt::black;
        grid.SetColours(colours);
        grid.SetSelectedDate(QDate(2026, 12, 1));
        grid.SetMarkedDays({QDate(2026, 12, 15)});
        const QImage image = grid.grab().toImage();
        const QRect marked = grid.DayRect(QDate(2026, 12, 15));
        const QRect plain = grid.DayRect(QDate(2026, 12, 16));
        QVERIFY(CellHasColour(image, marked, colours.Marked));
        QVERIFY(!CellHasColour(image, plain, colours.Marked));
        // The frame: darker above, lighter below.
        const QRect inner = marked.adjusted(2, 2, -3, -3);
        QCOMPARE(image.pixelColor(inner.center().x(), inner.top()), colours.MarkFrame.darker(150));
        QCOMPARE(image.pixelColor(inner.center().x(), inner.bottom()), colours.MarkFrame.lighter(150));
        QVERIFY(!CellHasColour(image, plain, colours.MarkFrame.darker(150)));
        grid.SetMarkingShown(false);
        QVERIFY(!CellHasColour(grid.grab().toImage(), marked, colours.Marked));
    }

    void everyChangeTheUserMakesIsReportedAsADayClick() {
        TMonthGrid grid;
        grid.resize(246, 176);
        grid.SetSelectedDate(QDate(2024, 1, 31));
        QSignalSpy clicks(&grid, &TMonthGrid::dayClicked);
        grid.StepMonths(1);  // from code: no report
        QCOMPARE(grid.SelectedDate(), QDate(2024, 2, 29));
        QCOMPARE(clicks.count(), 0);
        QTest::keyClick(&grid, Qt::Key_Right);
        QTest::keyClick(&grid, Qt::Key_Down);
        QTest::keyClick(&grid, Qt::Key_PageUp);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(clicks.last().at(0).toDate(), QDate(2024, 2, 8));  // 29.02 → 01.03 → 08.03 → 08.02
        QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.StepButtonRect(3).center());  // a year on
        QCOMPARE(clicks.last().at(0).toDate(), QDate(2025, 2, 8));
        QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.DayRect(QDate(2025, 2, 8)).center());
        QCOMPARE(clicks.count(), 5);  // the selected day again is a click too
        // Shift with PageUp and PageDown steps years, lowered to the month's length.
        grid.SetSelectedDate(QDate(2024, 2, 29));
        QTest::keyClick(&grid, Qt::Key_PageDown, Qt::ShiftModifier);
        QCOMPARE(grid.SelectedDate(), QDate(2025, 2, 28));
        QTest::keyClick(&grid, Qt::Key_PageUp, Qt::ShiftModifier);
        QTest::keyClick(&grid, Qt::Key_PageUp, Qt::ShiftModifier);
        QCOMPARE(grid.SelectedDate(), QDate(2023, 2, 28));
        QCOMPARE(clicks.count(), 8);
        // The first day there is: no step before it, and no report.
        grid.SetSelectedDate(QDate(1, 1, 1));
        const int before = clicks.count();
        QTest::keyClick(&grid, Qt::Key_PageUp);
        QCOMPARE(grid.SelectedDate(), QDate(1, 1, 1));
        QCOMPARE(clicks.count(), before);
    }

    void withoutStepButtonsTheHeaderDoesNothing() {
        TMonthGrid grid;
        grid.resize(246, 176);
        grid.SetStepButtonsShown(false);
        grid.SetSelectedDate(QDate(2026, 5, 10));
        QSignalSpy clicks(&grid, &TMonthGrid::dayClicked);
        for (int b = 0; b < 4; ++b) QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.StepButtonRect(b).center());
        QCOMPARE(grid.SelectedDate(), QDate(2026, 5, 10));
        QCOMPARE(clicks.count(), 0);
    }

    void arrowsReportUpAndDown() {
        TSpinButton arrows;
        arrows.resize(18, 24);
        arrows.show();
        QSignalSpy up(&arrows, &TSpinButton::upClicked);
        QSignalSpy down(&arrows, &TSpinButton::downClicked);
        QTest::mouseClick(arrows.UpButton(), Qt::LeftButton);
        QTest::mouseClick(arrows.DownButton(), Qt::LeftButton);
        QTest::mouseClick(arrows.DownButton(), Qt::LeftButton);
        QCOMPARE(up.count(), 1);
        QCOMPARE(down.count(), 2);
        QVERIFY(arrows.UpButton()->geometry().bottom() < arrows.DownButton()->geometry().top());
    }
};

QTEST_MAIN(MonthGridTest)
#include "month_grid_test.moc"
