// The date picker driven headless: "Сегодня", "Да", "Отмена", presetting, stepping.
#include <QTest>
#include <QTimer>

#include "windows/planner/calendar_dialog.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "kit/convert.h"

using namespace pomix;

namespace {

DateTime Day(int y, int m, int d) {
    DateTime day = 0;
    TryEncodeDate(y, m, d, day);
    return day;
}

// Clicks a button of the dialog once its modal loop runs.
void ClickWhenShown(TCalendarDialog& dialog, QAbstractButton* button,
                    std::function<void()> before = {}) {
    QTimer::singleShot(0, &dialog, [&dialog, button, before] {
        QVERIFY(dialog.isVisible());
        if (before) before();
        QTest::mouseClick(button, Qt::LeftButton);
    });
}

}  // namespace

class CalendarDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        SettingsRecord = TSettingsRecord{};
        SetClock([] { return Day(2026, 12, 7) + 0.4; });
    }
    void cleanup() { SetClock({}); }

    void isTheOneInstanceWithItsSize() {
        QVERIFY(TCalendarDialog::Instance() == nullptr);
        {
            TCalendarDialog dialog;
            QCOMPARE(TCalendarDialog::Instance(), &dialog);
            QCOMPARE(dialog.size(), QSize(263, 181));
            QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
            QVERIFY(!PickerAccepted);
        }
        QVERIFY(TCalendarDialog::Instance() == nullptr);
    }

    void todayThenYesReturnsToday() {
        TCalendarDialog dialog;
        dialog.SetPickedDay(Day(2001, 5, 20));
        QTimer::singleShot(0, &dialog, [&dialog] {
            QTest::mouseClick(dialog.todayButton, Qt::LeftButton);
            QVERIFY(dialog.isVisible());  // "Сегодня" leaves the dialog open
            QCOMPARE(dialog.PickedDay(), Day(2026, 12, 7));
            QTest::mouseClick(dialog.acceptButton, Qt::LeftButton);
        });
        QVERIFY(dialog.Run());
        QVERIFY(PickerAccepted);
        QCOMPARE(dialog.PickedDay(), Day(2026, 12, 7));
    }

    void cancelAfterSteppingMonthsTakesNothing() {
        TCalendarDialog dialog;
        PickerAccepted = true;  // as a previous run left it
        dialog.SetPickedDay(Day(2026, 1, 31));
        ClickWhenShown(dialog, dialog.cancelButton, [&dialog] {
            QTest::mouseClick(dialog.monthGrid, Qt::LeftButton, {},
                              dialog.monthGrid->StepButtonRect(1).center());
            QCOMPARE(dialog.PickedDay(), Day(2026, 2, 28));  // the day lowered to February's length
            QTest::mouseClick(dialog.monthGrid, Qt::LeftButton, {},
                              dialog.monthGrid->StepButtonRect(3).center());
            QCOMPARE(dialog.PickedDay(), Day(2027, 2, 28));
        });
        QVERIFY(!dialog.Run());
        QVERIFY(!PickerAccepted);
    }

    void escapeCountsAsCancel() {
        TCalendarDialog dialog;
        PickerAccepted = true;
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QVERIFY(!dialog.Run());
    }

    void clickingADayPicksIt() {
        TCalendarDialog dialog;
        dialog.SetPickedDay(Day(1999, 3, 10));  // a preset in another year shows that month
        QCOMPARE(dialog.monthGrid->SelectedDate(), QDate(1999, 3, 10));
        QTimer::singleShot(0, &dialog, [&dialog] {
            const QRect cell = dialog.monthGrid->DayRect(QDate(1999, 3, 25));
            QVERIFY(cell.isValid());
            QTest::mouseClick(dialog.monthGrid, Qt::LeftButton, {}, cell.center());
            QTest::mouseClick(dialog.acceptButton, Qt::LeftButton);
        });
        QVERIFY(dialog.Run());
        QCOMPARE(dialog.PickedDay(), Day(1999, 3, 25));
    }

    void recoloursOnlyWhenItsEntryIsSet() {
        TCalendarDialog dialog;
        SettingsRecord.AccentColor = 0x000000FF;  // red
        RecolourPending[kRecolourDatePicker] = 1;
        ClickWhenShown(dialog, dialog.cancelButton);
        dialog.Run();
        QCOMPARE(RecolourPending[kRecolourDatePicker], std::uint8_t(0));
        QCOMPARE(dialog.monthGrid->GetColours().Header, QColor(Qt::red));
        SettingsRecord.AccentColor = 0x0000FF00;
        ClickWhenShown(dialog, dialog.cancelButton);
        dialog.Run();
        QCOMPARE(dialog.monthGrid->GetColours().Header, QColor(Qt::red));
    }
};

QTEST_MAIN(CalendarDialogTest)
#include "calendar_dialog_test.moc"
