// The all-records and search panels of the planner window, driven through their controls.
#include <QTimer>

#include "planner/tests/calendar_form_support.h"

using namespace pomix;
using namespace pomix::testing;

namespace {

void DoubleClickRow(TColumnListBox& list, int row) {
    list.SetCurrentRow(row);
    emit list.itemDoubleClicked(list.topLevelItem(row), 0);
}

void ClickRow(TColumnListBox& list, int row) {
    const QRect at = list.visualItemRect(list.topLevelItem(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at.center());
}

// A click on the radio button's circle.
void ChooseRadio(QRadioButton* radio) {
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
    QVERIFY(radio->isChecked());
}

// Answers the date picker once it is up: a day, then "Да" (or "Отмена").
void PickWhenShown(TCalendarDialog& picker, const QDate& day, bool accept) {
    QTimer::singleShot(0, &picker, [&picker, day, accept] {
        picker.Calendar1->SetSelectedDate(day);
        Click(accept ? picker.Button3 : picker.Button1);
    });
}

}  // namespace

class CalendarPanelsTest : public QObject {
    Q_OBJECT
private slots:
    void allRecordsOpensOnTheDefaultSpanInListOrder() {
        PlannerBench bench;
        bench.now = Day(2025, 1, 31) + At(9, 0);
        bench.WriteEvents({Event("feb end", Day(2025, 2, 28), At(23, 59)),
                           Event("Before", Day(2024, 12, 31), At(12, 0)),
                           Event("New year", Day(2025, 1, 1), At(0, 0)),
                           Event("March", Day(2025, 3, 1), At(0, 0))});
        auto form = bench.Open();
        Click(form->AllRecordButton);
        QVERIFY(!form->Panel6->isHidden());
        QCOMPARE(form->Panel6->MaskEdit3->Text(), std::string("01.01.2025"));
        QCOMPARE(form->Panel6->MaskEdit4->Text(), std::string("28.02.2025"));
        QCOMPARE(Column(*form->Panel6->ListBox2, 2), QStringList({"feb end", "New year"}));
        QCOMPARE(form->Panel6->ListBox2->Cell(0, 0), ToQt(LocaleDateText(Day(2025, 2, 28))));
        QCOMPARE(form->Panel6->ListBox2->Cell(0, 1), QString("23:59"));
        // A date column is wide enough for a full date.
        const QFontMetrics metrics(form->Panel6->ListBox2->font());
        QVERIFY(form->Panel6->ListBox2->columnWidth(0) > metrics.horizontalAdvance("00.00.0000"));
        QVERIFY(form->Panel6->ListBox2->columnWidth(0) > metrics.horizontalAdvance(ToQt(LocaleDateText(Day(2025, 12, 28)))));

        QTest::mouseClick(form->Panel6->StaticButton3, Qt::LeftButton);  // "Дата"
        QCOMPARE(Column(*form->Panel6->ListBox2, 2), QStringList({"New year", "feb end"}));
        QCOMPARE(form->Data().Events[0].Name, std::string("Before"));  // the list itself is sorted
        QTest::mouseClick(form->Panel6->StaticButton4, Qt::LeftButton);  // "Время": nothing
        QCOMPARE(Column(*form->Panel6->ListBox2, 2), QStringList({"New year", "feb end"}));
        QVERIFY(!form->Data().Modified);

        // A span that ends before it starts lists nothing.
        form->Panel6->MaskEdit3->SetText("01.03.2025");
        form->Panel6->MaskEdit4->SetText("28.02.2025");
        form->Panel6->ShowAll();
        QCOMPARE(form->Panel6->ListBox2->Count(), 0);
        form->Panel6->MaskEdit4->SetText("01.03.2025");
        form->Panel6->ShowAll();
        QCOMPARE(Column(*form->Panel6->ListBox2, 2), QStringList({"March"}));
    }

    void theSpanPickersSetTheirFieldOnlyWhenAccepted() {
        PlannerBench bench;
        bench.WriteEvents({Event("Summer", Day(2026, 7, 1), At(8, 0))});
        TCalendarDialog picker;
        auto form = bench.Open();
        Click(form->AllRecordButton);
        PickWhenShown(picker, QDate(2026, 7, 2), false);
        Click(form->Panel6->Button17);
        QCOMPARE(form->Panel6->MaskEdit3->Text(), std::string("01.01.2026"));
        PickWhenShown(picker, QDate(2026, 7, 1), true);
        Click(form->Panel6->Button18);
        QCOMPARE(form->Panel6->MaskEdit4->Text(), std::string("01.07.2026"));
        QCOMPARE(Column(*form->Panel6->ListBox2, 2), QStringList({"Summer"}));
        // The editor's picker starts from the selected day, not from the field.
        Click(form->Button2);
        form->ADate->SetText("05.05.2026");
        QTimer::singleShot(0, &picker, [&picker] {
            QCOMPARE(picker.PickedDay(), Day(2026, 12, 7));
            Click(picker.Button3);
        });
        Click(form->Button5);
        QCOMPARE(form->ADate->Text(), std::string("07.12.2026"));
    }

    void aDoubleClickJumpsToTheDayAndADeletedLineIsDropped() {
        PlannerBench bench;
        bench.WriteEvents({Event("Spring", Day(2026, 3, 10), At(8, 0)), Event("Gone", Day(2026, 4, 1), At(8, 0))});
        auto form = bench.Open();
        Click(form->AllRecordButton);
        DoubleClickRow(*form->Panel6->ListBox2, 0);
        QVERIFY(form->Panel6->isHidden());
        QCOMPARE(form->SelectedDay(), Day(2026, 3, 10));
        QCOMPARE(DayLines(*form), QStringList({"08:00 Spring"}));
        QCOMPARE(form->Text2->text(), ToQt(LongDayText(Day(2026, 3, 10))));

        Click(form->AllRecordButton);
        QVERIFY(form->Data().DeleteEvent(form->Data().Events.RefAt(1)));
        DoubleClickRow(*form->Panel6->ListBox2, 1);
        QVERIFY(!form->Panel6->isHidden());
        QCOMPARE(form->Panel6->ListBox2->Count(), 1);
        QCOMPARE(form->SelectedDay(), Day(2026, 3, 10));
        Click(form->Panel6->Button16);
        QVERIFY(form->Panel6->isHidden());
    }

    void searchByEachFieldAndEverywhere() {
        PlannerBench bench;
        bench.WriteEvents({Event("Doctor", Day(2026, 3, 5), At(9, 30), 0, 0, {"Room 12", "bring card"}),
                           Event("doctor's call", Day(2025, 3, 5), At(14, 0)),
                           Event("Party", Day(2026, 8, 1), At(19, 0), 0, 0, {"Doctor too"})});
        auto form = bench.Open();
        Click(form->Button4);
        QVERIFY(!form->Panel8->isHidden());
        TSearchPanel& search = *form->Panel8;
        const auto find = [&](QRadioButton* field, const char* pattern) {
            ChooseRadio(field);
            search.Edit1->setText(QString::fromUtf8(pattern));
            Click(search.Button12);
            return Column(*search.ListBox4, 1);
        };
        QCOMPARE(find(search.RadioButton3, "DOCTOR"), QStringList({"Doctor"}));
        QCOMPARE(find(search.RadioButton3, "*doctor*"), QStringList({"Doctor", "doctor's call"}));
        QCOMPARE(find(search.RadioButton1, "05.03.*"), QStringList({"Doctor", "doctor's call"}));
        QCOMPARE(find(search.RadioButton2, "1?:00"), QStringList({"doctor's call", "Party"}));
        QCOMPARE(find(search.RadioButton4, "doctor*"), QStringList({"Party"}));
        QCOMPARE(search.ListBox4->Cell(0, 0), ToQt(LocaleDateText(Day(2026, 8, 1)) + " 19:00"));
        QCOMPARE(find(search.RadioButton5, "room 12"), QStringList({"Doctor"}));
        QCOMPARE(search.ListBox4->Cell(0, 0), ToQt(LocaleDateText(Day(2026, 3, 5)) + "  09:30"));
        // An empty pattern keeps the results; "Очистить" empties the pattern and picks "Везде".
        ChooseRadio(search.RadioButton1);
        Click(search.Button14);
        QVERIFY(search.Edit1->text().isEmpty());
        QVERIFY(search.RadioButton5->isChecked());
        Click(search.Button12);
        QCOMPARE(search.ListBox4->Count(), 1);
        Click(search.Button15);
        QCOMPARE(search.ListBox4->Count(), 0);
        Click(search.Button13);
        QVERIFY(search.isHidden());
    }

    void aClickOnAResultJumpsAndADeletedResultIsDropped() {
        PlannerBench bench;
        bench.WriteEvents({Event("Trip", Day(2026, 6, 15), At(6, 0)), Event("Trip back", Day(2026, 6, 20), At(6, 0))});
        auto form = bench.Open();
        form->N3->trigger();
        form->Panel8->Edit1->setText("trip*");
        QTest::keyClick(form->Panel8->Edit1, Qt::Key_Return);
        QCOMPARE(form->Panel8->ListBox4->Count(), 2);
        QVERIFY(form->Data().DeleteEvent(form->Data().Events.RefAt(0)));
        ClickRow(*form->Panel8->ListBox4, 0);
        QCOMPARE(form->Panel8->ListBox4->Count(), 1);
        QVERIFY(!form->Panel8->isHidden());
        QCOMPARE(form->SelectedDay(), Day(2026, 12, 7));
        ClickRow(*form->Panel8->ListBox4, 0);
        QVERIFY(form->Panel8->isHidden());
        QCOMPARE(form->SelectedDay(), Day(2026, 6, 20));
        QCOMPARE(DayLines(*form), QStringList({"06:00 Trip back"}));
        // The pattern and the results stay for the next opening.
        Click(form->Button4);
        QCOMPARE(form->Panel8->Edit1->text(), QString("trip*"));
        QCOMPARE(form->Panel8->ListBox4->Count(), 1);
    }
};

QTEST_MAIN(CalendarPanelsTest)
#include "calendar_panels_test.moc"
