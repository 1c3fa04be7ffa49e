// The planner window's main view and editor, driven through its controls.
#include <QImage>

#include "windows/planner/tests/calendar_form_support.h"

using namespace pomix;
using namespace pomix::testing;

class CalendarFormTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTodayWithTheDayListSorted() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Lunch", Day(2026, 12, 7), At(13, 0)),
                           MakeEvent("coffee", Day(2026, 12, 7), At(9, 5)),
                           MakeEvent("Call", Day(2026, 12, 7), At(10, 0)),
                           MakeEvent("Tomorrow", Day(2026, 12, 8), At(8, 0)),
                           MakeEvent("Another call", Day(2026, 12, 7), At(10, 0))});
        auto form = bench.Open();
        QCOMPARE(form->size(), QSize(514, 360));
        QCOMPARE(form->SelectedDay(), Day(2026, 12, 7));
        QCOMPARE(DayLines(*form), QStringList({"09:05 coffee", "10:00 Another call", "10:00 Call", "13:00 Lunch"}));
        QCOMPARE(form->dayList->currentRow(), -1);
        QCOMPARE(form->dayTitle->text(), ToQt(LongDayText(Day(2026, 12, 7))));
        for (QWidget* panel : {static_cast<QWidget*>(form->editorPanel), static_cast<QWidget*>(form->allRecordsPanel),
                               static_cast<QWidget*>(form->reminderPanel), static_cast<QWidget*>(form->searchPanel)}) {
            QVERIFY(panel->isHidden());
            QCOMPARE(panel->geometry(), form->rect());
        }
        // Both planned days are marked; a day without events is not.
        QVERIFY(form->monthGrid->IsMarked(QDate(2026, 12, 7)));
        QVERIFY(form->monthGrid->IsMarked(QDate(2026, 12, 8)));
        QVERIFY(!form->monthGrid->IsMarked(QDate(2026, 12, 9)));
    }

    void aPanelHidesTheMainViewItCovers() {
        PlannerBench bench;
        auto form = bench.Open();
        QVERIFY(form->addButton->isVisible());
        Click(form->addButton);
        QVERIFY(!form->editorPanel->isHidden());
        QVERIFY(!form->addButton->isVisible());  // covered: no focus, no place in the tree
        Click(form->cancelButton);
        QVERIFY(form->addButton->isVisible());
        Click(form->allRecordsButton);
        form->CheckReminders();  // nothing due: no panel
        QVERIFY(!form->dayList->isVisible());
        Click(form->allRecordsPanel->closeButton);
        QVERIFY(form->dayList->isVisible());
    }

    void editorKeepsTheEventItWasOpenedOn() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("First", Day(2026, 12, 7), At(9, 0)),
                           MakeEvent("Second", Day(2026, 12, 7), At(10, 0))});
        auto form = bench.Open();
        SelectLine(*form, "09:00 First");
        Click(form->editButton);
        form->titleBox->SetText("typed");
        // Where the other line was, a click meets the editor.
        const QPoint second = form->dayList->visualItemRect(form->dayList->item(1)).center();
        QWidget* hit = form->childAt(form->dayList->viewport()->mapTo(form.get(), second));
        QVERIFY(hit && form->editorPanel->isAncestorOf(hit));
        QTest::mouseClick(hit, Qt::LeftButton);
        QVERIFY(!form->dayList->isVisibleTo(form.get()));
        Click(form->saveButton);
        QCOMPARE(form->Data().Events[0].Name, std::string("typed"));
        QCOMPARE(form->Data().Events[1].Name, std::string("Second"));
    }

    void selectingALineShowsTheEvent() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Dentist <b>", Day(2026, 12, 7), At(9, 30), 1, 0,
                                     {"Bring card", "Room 4"})});
        auto form = bench.Open();
        SelectLine(*form, "09:30 Dentist <b>");
        QCOMPARE(form->eventTitle->text(), QString("Dentist <b>"));
        QCOMPARE(form->eventMemo->text(), QString("Bring card\r\nRoom 4\r\n"));
        QCOMPARE(form->eventMemo->textFormat(), Qt::PlainText);
        QCOMPARE(form->titleBox->Text(), std::string("Dentist <b>"));
        QCOMPARE(form->dateEdit->Text(), std::string("07.12.2026"));
        QCOMPARE(form->timeEdit->Text(), std::string("09:30"));
        QVERIFY(form->remindBox->isChecked());
        QVERIFY(!form->doneBox->isChecked());
    }

    void addSavesANewEventAndMarksItsDay() {
        PlannerBench bench;
        auto form = bench.Open();
        Click(form->addButton);
        QVERIFY(!form->editorPanel->isHidden());
        QVERIFY(form->AddMode);
        QVERIFY(form->remindBox->isChecked());
        QCOMPARE(form->dateEdit->Text(), std::string("07.12.2026"));
        QCOMPARE(form->timeEdit->Text(), std::string("10:00"));
        form->titleBox->SetText(FromQt(QString::fromUtf8("Встреча")));
        form->dateEdit->SetText("09.12.2026");
        form->memoEdit->setPlainText("line one\nline two");
        Click(form->saveButton);
        QVERIFY(form->editorPanel->isHidden());
        QVERIFY(form->Data().Modified());
        // Another day than the one shown: not in the day list, but marked.
        QCOMPARE(form->dayList->count(), 0);
        QVERIFY(form->monthGrid->IsMarked(QDate(2026, 12, 9)));
        form->CloseForm();
        const std::vector<Event> stored = bench.StoredEvents();
        QCOMPARE(stored.size(), std::size_t(1));
        QCOMPARE(stored[0].Name, FromQt(QString::fromUtf8("Встреча")));
        QCOMPARE(stored[0].Date, Day(2026, 12, 9));
        QCOMPARE(stored[0].Time, At(10, 0));
        QCOMPARE(stored[0].Reserved, 1);
        QCOMPARE(stored[0].Remind, std::uint8_t(1));
        QCOMPARE(stored[0].Memo, StrList({"line one", "line two"}));
    }

    void editChangesOnlyTheSelectedEventAndMovesItsDay() {
        PlannerBench bench;
        Event kept = MakeEvent("Keep", Day(2026, 12, 7), At(8, 0));
        kept.Reserved = 7;  // not the planner's 1: survives the edit
        bench.WriteEvents({kept, MakeEvent("Other", Day(2026, 12, 7), At(9, 0))});
        auto form = bench.Open();
        SelectLine(*form, "08:00 Keep");
        Click(form->editButton);
        QVERIFY(!form->AddMode);
        form->titleBox->SetText("Kept");
        form->dateEdit->SetText("10.12.2026");
        Click(form->saveButton);
        QCOMPARE(DayLines(*form), QStringList({"09:00 Other"}));  // moved away at once
        form->CloseForm();
        const std::vector<Event> stored = bench.StoredEvents();
        QCOMPARE(stored[0].Name, std::string("Kept"));
        QCOMPARE(stored[0].Date, Day(2026, 12, 10));
        QCOMPARE(stored[0].Reserved, 7);
        QCOMPARE(stored[1].Name, std::string("Other"));
    }

    void badDateOrTimeKeepsTheEditorOpenAndTheFileUnchanged() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Kept", Day(2026, 12, 7), At(8, 0))});
        const std::string bytes = FileBytes(bench.Data("Calendar.dat"));
        auto form = bench.Open();
        const struct {
            const char* date;
            const char* time;
            const char* message;
        } cases[] = {{"31.02.2026", "10:00", kIncorrectDateMessage},
                     {"00.00.0000", "10:00", kIncorrectDateMessage},
                     {"  .  .    ", "10:00", kIncorrectDateMessage},
                     {"08.12.2026", "25:61", kIncorrectTimeMessage},
                     {"08.12.2026", "  :  ", kIncorrectTimeMessage}};
        for (const bool adding : {true, false}) {
            for (const auto& c : cases) {
                bench.reported.clear();
                if (adding) {
                    Click(form->addButton);
                } else {
                    SelectLine(*form, "08:00 Kept");
                    Click(form->editButton);
                }
                form->titleBox->SetText("typed");
                form->dateEdit->SetText(c.date);
                form->timeEdit->SetText(c.time);
                Click(form->saveButton);
                QCOMPARE(bench.reported, std::vector<std::string>{c.message});
                QVERIFY(!form->editorPanel->isHidden());
                QCOMPARE(form->dateEdit->Text(), std::string(c.date));
                QCOMPARE(form->timeEdit->Text(), std::string(c.time));
                QCOMPARE(form->titleBox->Text(), std::string("typed"));
                QCOMPARE(form->Data().Events.Count(), std::size_t(1));
                QCOMPARE(form->Data().Events[0].Name, std::string("Kept"));
                Click(form->cancelButton);
            }
        }
        form->CloseForm();
        QCOMPARE(FileBytes(bench.Data("Calendar.dat")), bytes);
    }

    void editAfterAnAbandonedAddStartsFromTheSelectedEvent() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Meeting", Day(2026, 12, 7), At(15, 45), 0, 1, {"agenda"})});
        auto form = bench.Open();
        SelectLine(*form, "15:45 Meeting");
        Click(form->addButton);  // "Добавить" presets now and an empty title
        Click(form->cancelButton);  // "Отмена"
        SelectLine(*form, "15:45 Meeting");
        Click(form->editButton);
        QCOMPARE(form->titleBox->Text(), std::string("Meeting"));
        QCOMPARE(form->timeEdit->Text(), std::string("15:45"));
        QVERIFY(!form->remindBox->isChecked());
        QVERIFY(form->doneBox->isChecked());
        Click(form->saveButton);
        const Event& event = form->Data().Events[0];
        QCOMPARE(event.Name, std::string("Meeting"));
        QCOMPARE(event.Time, At(15, 45));
        QCOMPARE(event.Remind, std::uint8_t(0));
        QCOMPARE(event.Done, std::uint8_t(1));
        QCOMPARE(event.Memo, StrList({"agenda"}));
    }

    void saveWritesTheEventLoadedAtEditWhateverIsSelectedNow() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("First", Day(2026, 12, 7), At(8, 0)),
                           MakeEvent("Second", Day(2026, 12, 7), At(9, 0))});
        auto form = bench.Open();
        SelectLine(*form, "08:00 First");
        Click(form->editButton);
        form->titleBox->SetText("First edited");
        SelectLine(*form, "09:00 Second");  // the selection moves while the editor is open
        form->titleBox->SetText("First edited");
        Click(form->saveButton);
        QCOMPARE(form->Data().Events[0].Name, std::string("First edited"));
        QCOMPARE(form->Data().Events[1].Name, std::string("Second"));

        // The loaded event is deleted meanwhile: what was typed becomes a new event.
        SelectLine(*form, "09:00 Second");
        Click(form->editButton);
        form->titleBox->SetText("Second again");
        QVERIFY(form->Data().DeleteEvent(form->EditorEvent()));
        Click(form->saveButton);
        QCOMPARE(form->Data().Events.Count(), std::size_t(2));
        QCOMPARE(form->Data().Events[1].Name, std::string("Second again"));
    }

    void editAndDeleteNeedASelectedLine() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("One", Day(2026, 12, 7), At(8, 0))});
        auto form = bench.Open();
        Click(form->editButton);
        QVERIFY(form->editorPanel->isHidden());
        Click(form->deleteButton);
        QCOMPARE(bench.questions, 0);
        QCOMPARE(form->Data().Events.Count(), std::size_t(1));
        QVERIFY(!form->Data().Modified());
    }

    void deleteAsksOnlyWhenConfirmationIsOn() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("One", Day(2026, 12, 7), At(8, 0)),
                           MakeEvent("Two", Day(2026, 12, 7), At(9, 0))});
        auto form = bench.Open();
        SelectLine(*form, "08:00 One");
        bench.answerYes = false;
        Click(form->deleteButton);
        QCOMPARE(bench.questions, 1);
        QCOMPARE(DayLines(*form).size(), 2);
        bench.answerYes = true;
        Click(form->deleteButton);
        QCOMPARE(bench.questions, 2);
        QCOMPARE(DayLines(*form), QStringList({"09:00 Two"}));
        SettingsRecord.ConfirmDelete = false;
        SelectLine(*form, "09:00 Two");
        form->deleteAction->trigger();
        QCOMPARE(bench.questions, 2);
        QCOMPARE(form->dayList->count(), 0);
        QVERIFY(!form->monthGrid->IsMarked(QDate(2026, 12, 7)));  // its last event is gone
        form->CloseForm();
        QVERIFY(bench.StoredEvents().empty());
    }

    void monthStepsLowerTheDayAndShowTheNewDay() {
        PlannerBench bench;
        bench.now = Day(2024, 1, 31) + At(12, 0);
        bench.WriteEvents({MakeEvent("Leap", Day(2024, 2, 29), At(7, 0))});
        auto form = bench.Open();
        Click(form->nextMonthButton);
        QCOMPARE(form->SelectedDay(), Day(2024, 2, 29));
        QCOMPARE(DayLines(*form), QStringList({"07:00 Leap"}));
        QCOMPARE(form->dayTitle->text(), ToQt(LongDayText(Day(2024, 2, 29))));
        ClickDay(*form, QDate(2024, 2, 10));
        QCOMPARE(form->dayList->count(), 0);
        // A key on the grid is a day click too.
        ClickDay(*form, QDate(2024, 2, 28));
        QTest::keyClick(form->monthGrid, Qt::Key_Right);
        QCOMPARE(DayLines(*form), QStringList({"07:00 Leap"}));
        QCOMPARE(form->dayTitle->text(), ToQt(LongDayText(Day(2024, 2, 29))));
        form->SetSelectedDay(Day(2024, 3, 31));
        Click(form->prevMonthButton);
        QCOMPARE(form->SelectedDay(), Day(2024, 2, 29));
        Click(form->todayButton);
        QCOMPARE(form->SelectedDay(), Day(2024, 1, 31));
    }

    void timeArrowsStepTheHoursOrTheMinutes() {
        PlannerBench bench;
        auto form = bench.Open();
        Click(form->addButton);
        form->timeEdit->SetText("10:59");
        form->timeEdit->setCursorPosition(4);  // in the minutes
        Click(form->timeSpin->UpButton());
        Click(form->timeSpin->UpButton());
        QCOMPARE(form->timeEdit->Text(), std::string("11:01"));
        QCOMPARE(form->timeEdit->selectionStart(), 3);
        QCOMPARE(form->timeEdit->selectedText(), QString("01"));
        form->timeEdit->SetText("00:30");
        form->timeEdit->setCursorPosition(1);  // in the hours
        Click(form->timeSpin->DownButton());
        Click(form->timeSpin->DownButton());
        QCOMPARE(form->timeEdit->Text(), std::string("22:30"));
        QCOMPARE(form->timeEdit->selectedText(), QString("22"));
        QCOMPARE(bench.reports, 0);
    }

    void anEventOfTheYear25KeepsItsDateThroughAnEdit() {
        PlannerBench bench;
        bench.now = Day(25, 3, 1) + At(9, 0);
        bench.WriteEvents({MakeEvent("Ancient", Day(25, 3, 1), At(9, 0))});
        auto form = bench.Open();
        SelectLine(*form, "09:00 Ancient");
        QCOMPARE(form->dateEdit->Text(), std::string("01.03.0025"));
        Click(form->editButton);
        form->titleBox->SetText("Ancient history");
        bench.now = Day(2026, 12, 7) + At(9, 0);  // the edit happens later
        Click(form->saveButton);
        QCOMPARE(bench.reports, 0);
        QCOMPARE(form->Data().Events[0].Date, Day(25, 3, 1));
        QCOMPARE(form->Data().Events[0].Name, std::string("Ancient history"));
    }

    void onlyAStoredOneIsARunningReminder() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Odd flags", Day(2026, 12, 7), At(8, 0), 2, 2)});
        auto form = bench.Open();
        SelectLine(*form, "08:00 Odd flags");
        QVERIFY(!form->remindBox->isChecked());
        QVERIFY(!form->doneBox->isChecked());
        Click(form->editButton);
        Click(form->saveButton);
        QCOMPARE(form->Data().Events[0].Remind, std::uint8_t(0));
    }

    void theDayListDrawsDoneColourAndReminderMark() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Done one", Day(2026, 12, 7), At(8, 0), 0, 1),
                           MakeEvent("Remind one", Day(2026, 12, 7), At(9, 0), 1, 0)});
        auto form = bench.Open();
        QCOMPARE(form->dayList->visualItemRect(form->dayList->item(0)).height(), 16);
        const QImage image = form->dayList->viewport()->grab().toImage();
        const auto hasColour = [&image](int top, const std::function<bool(QColor)>& test, int left, int right) {
            for (int y = top; y < top + 16; ++y)
                for (int x = left; x < right; ++x)
                    if (test(image.pixelColor(x, y))) return true;
            return false;
        };
        const auto green = [](QColor c) { return c.green() > 150 && c.red() < 80 && c.blue() < 80; };
        const auto orange = [](QColor c) { return c.red() > 200 && c.green() > 150 && c.blue() < 120; };
        QVERIFY(hasColour(0, green, 18, 200));    // the done event's text
        QVERIFY(!hasColour(16, green, 18, 200));  // the other's is not
        QVERIFY(hasColour(16, orange, 3, 13));    // the reminder mark
        QVERIFY(!hasColour(0, orange, 3, 13));
    }

    void highlightingOffLeavesTheMarksAsTheyWere() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("One", Day(2026, 12, 7), At(8, 0))});
        SettingsRecord.HighlightPlannedDays = false;
        auto form = bench.Open();
        QVERIFY(!form->monthGrid->IsMarked(QDate(2026, 12, 7)));
        SettingsRecord.HighlightPlannedDays = true;
        Click(form->addButton);
        form->dateEdit->SetText("20.12.2026");
        Click(form->saveButton);
        QVERIFY(form->monthGrid->IsMarked(QDate(2026, 12, 7)));
        QVERIFY(form->monthGrid->IsMarked(QDate(2026, 12, 20)));
        SettingsRecord.HighlightPlannedDays = false;
        SelectLine(*form, "08:00 One");
        Click(form->deleteButton);
        QVERIFY(form->monthGrid->IsMarked(QDate(2026, 12, 7)));
    }

    void closingWithoutChangesLeavesTheFileAlone() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("b", Day(2026, 12, 7), At(8, 0)),
                           MakeEvent("A", Day(2026, 12, 1), At(9, 0))});
        const std::string before = FileBytes(bench.Data("Calendar.dat"));
        auto form = bench.Open();
        Click(form->allRecordsButton);
        QTest::mouseClick(form->allRecordsPanel->nameHeader, Qt::LeftButton);  // a sort by title
        QCOMPARE(Column(*form->allRecordsPanel->recordList, 2), QStringList({"A", "b"}));
        form->CloseForm();
        QCOMPARE(FileBytes(bench.Data("Calendar.dat")), before);
    }

    void aShutdownRunAgainAfterAFailureSavesTheLaterChanges() {
        PlannerBench bench;
        auto form = bench.Open();
        Click(form->addButton);
        form->titleBox->SetText("First");
        Click(form->saveButton);
        form->CloseForm();  // saved; a later section fails and the program goes on
        QCOMPARE(bench.StoredEvents().size(), std::size_t(1));
        form->show();
        Click(form->addButton);
        form->titleBox->SetText("Second");
        Click(form->saveButton);
        form->CloseForm();
        const std::vector<Event> stored = bench.StoredEvents();
        QCOMPARE(stored.size(), std::size_t(2));
        QCOMPARE(stored[1].Name, std::string("Second"));
    }

    void theDictionaryReplacesTheTexts() {
        PlannerBench bench;
        QDir(bench.folder.path()).mkpath("Lang");
        WriteFile(bench.folder.path().toStdString() + "/Lang/English.lng",
                  "[CalendarForm]\nButton2_Caption=Add\nText8_Caption= All records \nN3_Caption=Find\nButton9_Caption=Close\n");
        SettingsRecord.LanguageFile = "English.lng";
        {
            auto form = bench.Open();
            QCOMPARE(form->addButton->text(), QString("Add"));
            QCOMPARE(form->allRecordsPanel->findChild<TStaticButton*>("Text8")->text(), QString("All records"));
            QCOMPARE(form->searchAction->text(), QString("Find"));
            QCOMPARE(form->reminderPanel->closeButton->text(), QString("Close"));
            form->CloseForm();
        }
        const QString written = QString::fromStdString(FileBytes(bench.folder.path().toStdString() + "/Lang/English.lng"));
        // Every one of the 101 items (the reminder panel's, the notice's and the grid's included) has its
        // control, so every one is written back.
        QStringList keys;
        for (const QString& line : written.section("[CalendarForm]", 1).split('\n')) {
            if (line.startsWith('[')) break;
            if (line.contains('=') && !line.startsWith("FormVersion")) keys << line.section('=', 0, 0);
        }
        QCOMPARE(keys.size(), 101);
        for (const char* key : {"Button17_Hint", "Label5_Caption", "RadioButton5_Hint", "StaticButton4_Caption",
                                "Button9_Caption", "NoticeMoreText_Caption", "MarkedDayText_Caption"})
            QVERIFY2(keys.contains(key), key);
    }
};

QTEST_MAIN(CalendarFormTest)
#include "calendar_form_test.moc"
