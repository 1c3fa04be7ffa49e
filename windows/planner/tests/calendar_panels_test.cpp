// The all-records and search panels of the planner window, driven through their controls.
#include <QTimer>

#include "windows/planner/tests/calendar_form_support.h"

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
        picker.monthGrid->SetSelectedDate(day);
        Click(accept ? picker.acceptButton : picker.cancelButton);
    });
}

}  // namespace

class CalendarPanelsTest : public QObject {
    Q_OBJECT
private slots:
    void allRecordsOpensOnTheDefaultSpanInListOrder() {
        PlannerBench bench;
        bench.now = Day(2025, 1, 31) + At(9, 0);
        bench.WriteEvents({MakeEvent("feb end", Day(2025, 2, 28), At(23, 59)),
                           MakeEvent("Before", Day(2024, 12, 31), At(12, 0)),
                           MakeEvent("New year", Day(2025, 1, 1), At(0, 0)),
                           MakeEvent("March", Day(2025, 3, 1), At(0, 0))});
        auto form = bench.Open();
        Click(form->allRecordsButton);
        QVERIFY(!form->allRecordsPanel->isHidden());
        QCOMPARE(form->allRecordsPanel->fromEdit->Text(), std::string("01.01.2025"));
        QCOMPARE(form->allRecordsPanel->toEdit->Text(), std::string("28.02.2025"));
        QCOMPARE(Column(*form->allRecordsPanel->recordList, 2), QStringList({"feb end", "New year"}));
        QCOMPARE(form->allRecordsPanel->recordList->Cell(0, 0), ToQt(LocaleDateText(Day(2025, 2, 28))));
        QCOMPARE(form->allRecordsPanel->recordList->Cell(0, 1), QString("23:59"));
        // A date column is wide enough for a full date.
        const QFontMetrics metrics(form->allRecordsPanel->recordList->font());
        QVERIFY(form->allRecordsPanel->recordList->columnWidth(0) > metrics.horizontalAdvance("00.00.0000"));
        QVERIFY(form->allRecordsPanel->recordList->columnWidth(0) > metrics.horizontalAdvance(ToQt(LocaleDateText(Day(2025, 12, 28)))));

        QTest::mouseClick(form->allRecordsPanel->dateHeader, Qt::LeftButton);  // "Дата"
        QCOMPARE(Column(*form->allRecordsPanel->recordList, 2), QStringList({"New year", "feb end"}));
        QCOMPARE(form->Data().Events[0].Name, std::string("Before"));  // the list itself is sorted
        QTest::mouseClick(form->allRecordsPanel->timeHeader, Qt::LeftButton);  // "Время": nothing
        QCOMPARE(Column(*form->allRecordsPanel->recordList, 2), QStringList({"New year", "feb end"}));
        QVERIFY(!form->Data().Modified());

        // A span that ends before it starts lists nothing.
        form->allRecordsPanel->fromEdit->SetText("01.03.2025");
        form->allRecordsPanel->toEdit->SetText("28.02.2025");
        form->allRecordsPanel->ShowAll();
        QCOMPARE(form->allRecordsPanel->recordList->Count(), 0);
        form->allRecordsPanel->toEdit->SetText("01.03.2025");
        form->allRecordsPanel->ShowAll();
        QCOMPARE(Column(*form->allRecordsPanel->recordList, 2), QStringList({"March"}));
        // A bound that is no date leaves the list as it was after one message.
        bench.reported.clear();
        form->allRecordsPanel->toEdit->SetText("31.02.2025");
        form->allRecordsPanel->ShowAll();
        QCOMPARE(bench.reported, std::vector<std::string>{kIncorrectDateMessage});
        QCOMPARE(Column(*form->allRecordsPanel->recordList, 2), QStringList({"March"}));
        QCOMPARE(form->allRecordsPanel->toEdit->Text(), std::string("31.02.2025"));
    }

    void theSpanPickersSetTheirFieldOnlyWhenAccepted() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Summer", Day(2026, 7, 1), At(8, 0))});
        TCalendarDialog picker;
        auto form = bench.Open();
        Click(form->allRecordsButton);
        PickWhenShown(picker, QDate(2026, 7, 2), false);
        Click(form->allRecordsPanel->pickFromButton);
        QCOMPARE(form->allRecordsPanel->fromEdit->Text(), std::string("01.01.2026"));
        PickWhenShown(picker, QDate(2026, 7, 1), true);
        Click(form->allRecordsPanel->pickToButton);
        QCOMPARE(form->allRecordsPanel->toEdit->Text(), std::string("01.07.2026"));
        QCOMPARE(Column(*form->allRecordsPanel->recordList, 2), QStringList({"Summer"}));
        // The editor's picker starts from the selected day, not from the field.
        Click(form->addButton);
        form->dateEdit->SetText("05.05.2026");
        QTimer::singleShot(0, &picker, [&picker] {
            QCOMPARE(picker.PickedDay(), Day(2026, 12, 7));
            Click(picker.acceptButton);
        });
        Click(form->pickDateButton);
        QCOMPARE(form->dateEdit->Text(), std::string("07.12.2026"));
    }

    void aDoubleClickJumpsToTheDayAndADeletedLineIsDropped() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Spring", Day(2026, 3, 10), At(8, 0)),
                           MakeEvent("Gone", Day(2026, 4, 1), At(8, 0))});
        auto form = bench.Open();
        Click(form->allRecordsButton);
        DoubleClickRow(*form->allRecordsPanel->recordList, 0);
        QVERIFY(form->allRecordsPanel->isHidden());
        QCOMPARE(form->SelectedDay(), Day(2026, 3, 10));
        QCOMPARE(DayLines(*form), QStringList({"08:00 Spring"}));
        QCOMPARE(form->dayTitle->text(), ToQt(LongDayText(Day(2026, 3, 10))));

        Click(form->allRecordsButton);
        QVERIFY(form->Data().DeleteEvent(form->Data().Events.RefAt(1)));
        DoubleClickRow(*form->allRecordsPanel->recordList, 1);
        QVERIFY(!form->allRecordsPanel->isHidden());
        QCOMPARE(form->allRecordsPanel->recordList->Count(), 1);
        QCOMPARE(form->SelectedDay(), Day(2026, 3, 10));
        Click(form->allRecordsPanel->closeButton);
        QVERIFY(form->allRecordsPanel->isHidden());
    }

    void searchByEachFieldAndEverywhere() {
        PlannerBench bench;
        bench.WriteEvents(
            {MakeEvent("Doctor", Day(2026, 3, 5), At(9, 30), 0, 0, {"Room 12", "bring card"}),
             MakeEvent("doctor's call", Day(2025, 3, 5), At(14, 0)),
             MakeEvent("Party", Day(2026, 8, 1), At(19, 0), 0, 0, {"Doctor too"})});
        auto form = bench.Open();
        Click(form->searchButton);
        QVERIFY(!form->searchPanel->isHidden());
        TSearchPanel& search = *form->searchPanel;
        const auto find = [&](QRadioButton* field, const char* pattern) {
            ChooseRadio(field);
            search.searchEdit->setText(QString::fromUtf8(pattern));
            Click(search.findButton);
            return Column(*search.resultList, 1);
        };
        QCOMPARE(find(search.byNameButton, "DOCTOR"), QStringList({"Doctor"}));
        QCOMPARE(find(search.byNameButton, "*doctor*"), QStringList({"Doctor", "doctor's call"}));
        QCOMPARE(find(search.byDateButton, "05.03.*"), QStringList({"Doctor", "doctor's call"}));
        QCOMPARE(find(search.byTimeButton, "1?:00"), QStringList({"doctor's call", "Party"}));
        QCOMPARE(find(search.byMemoButton, "doctor*"), QStringList({"Party"}));
        QCOMPARE(search.resultList->Cell(0, 0), ToQt(LocaleDateText(Day(2026, 8, 1)) + " 19:00"));
        QCOMPARE(find(search.everywhereButton, "room 12"), QStringList({"Doctor"}));
        QCOMPARE(search.resultList->Cell(0, 0), ToQt(LocaleDateText(Day(2026, 3, 5)) + "  09:30"));
        // An empty pattern keeps the results; "Очистить" empties the pattern and picks "Везде".
        ChooseRadio(search.byDateButton);
        Click(search.clearButton);
        QVERIFY(search.searchEdit->text().isEmpty());
        QVERIFY(search.everywhereButton->isChecked());
        Click(search.findButton);
        QCOMPARE(search.resultList->Count(), 1);
        Click(search.clearResultsButton);
        QCOMPARE(search.resultList->Count(), 0);
        Click(search.closeButton);
        QVERIFY(search.isHidden());
    }

    void aClickOnAResultJumpsAndADeletedResultIsDropped() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Trip", Day(2026, 6, 15), At(6, 0)),
                           MakeEvent("Trip back", Day(2026, 6, 20), At(6, 0))});
        auto form = bench.Open();
        form->searchAction->trigger();
        form->searchPanel->searchEdit->setText("trip*");
        QTest::keyClick(form->searchPanel->searchEdit, Qt::Key_Return);
        QCOMPARE(form->searchPanel->resultList->Count(), 2);
        QVERIFY(form->Data().DeleteEvent(form->Data().Events.RefAt(0)));
        ClickRow(*form->searchPanel->resultList, 0);
        QCOMPARE(form->searchPanel->resultList->Count(), 1);
        QVERIFY(!form->searchPanel->isHidden());
        QCOMPARE(form->SelectedDay(), Day(2026, 12, 7));
        ClickRow(*form->searchPanel->resultList, 0);
        QVERIFY(form->searchPanel->isHidden());
        QCOMPARE(form->SelectedDay(), Day(2026, 6, 20));
        QCOMPARE(DayLines(*form), QStringList({"06:00 Trip back"}));
        // The pattern and the results stay for the next opening.
        Click(form->searchButton);
        QCOMPARE(form->searchPanel->searchEdit->text(), QString("trip*"));
        QCOMPARE(form->searchPanel->resultList->Count(), 1);
    }
};

QTEST_MAIN(CalendarPanelsTest)
#include "calendar_panels_test.moc"
