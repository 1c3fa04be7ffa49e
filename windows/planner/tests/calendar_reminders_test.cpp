// The reminder check of the planner window: when it runs, what it shows, plays and notifies,
// and the commands of its panel.
#include "core/media/alarm_wave.h"
#include "windows/planner/tests/calendar_form_support.h"

using namespace pomix;
using namespace pomix::testing;

namespace {

QStringList ReminderNames(const TCalendarForm& form) { return Column(*form.reminderPanel->dueList, 1); }

void SelectReminder(TCalendarForm& form, const QString& name) {
    const int row = ReminderNames(form).indexOf(name);
    QVERIFY2(row >= 0, qPrintable(name));
    form.reminderPanel->dueList->SetCurrentRow(row);
}

}  // namespace

class CalendarRemindersTest : public QObject {
    Q_OBJECT
private slots:
    void listsDueEventsPlaysAndNotifiesOnce() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Soon", Day(2026, 12, 7), At(10, 14), 1),
                           MakeEvent("Too far", Day(2026, 12, 7), At(10, 15), 1),
                           MakeEvent("Past", Day(2026, 12, 4), At(8, 0), 1, 1),
                           MakeEvent("Not reminded", Day(2026, 12, 7), At(10, 1), 0)});
        auto form = bench.Open();
        int broughtForward = 0;
        SetBringForward([&broughtForward] { ++broughtForward; });
        QVERIFY(form->reminderTimer->isActive());
        QCOMPARE(form->reminderTimer->interval(), 60000);
        form->CheckReminders();
        QVERIFY(!form->reminderPanel->isHidden());
        QCOMPARE(ReminderNames(*form).size(), 2);
        QVERIFY(ReminderNames(*form).contains("Soon"));
        QVERIFY(ReminderNames(*form).contains("Past"));
        const int soon = ReminderNames(*form).indexOf("Soon");
        QCOMPARE(form->reminderPanel->dueList->Cell(soon, 0), ToQt(ReminderLineCells(form->Data().Events[0])[0]));
        QCOMPARE(bench.sounds.size(), std::size_t(1));
        QCOMPARE(bench.sounds[0], GoodWave());
        QCOMPARE(bench.notifications.size(), 1);
        QVERIFY(bench.notifications[0].contains("Soon"));
        QVERIFY(bench.notifications[0].contains("Past"));
        QCOMPARE(broughtForward, 1);
        QVERIFY(form->reminderTimer->isActive());
        SetBringForward({});
    }

    void anotherSectionOnDisplayGetsOneSoundUntilThePanelIsClosed() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Call", Day(2026, 12, 7), At(10, 5), 1)});
        QWidget display;
        auto form = std::make_unique<TCalendarForm>(bench.container, &display);
        display.show();
        form->hide();  // another section is on display
        for (int minute = 0; minute < 3; ++minute) form->CheckReminders();
        QVERIFY(!form->reminderPanel->isHidden());
        QCOMPARE(bench.sounds.size(), std::size_t(1));
        QCOMPARE(bench.notifications.size(), 1);
        form->show();  // the planner opened: the panel is there
        QVERIFY(form->reminderPanel->isVisible());
        Click(form->reminderPanel->closeButton);
        form->CheckReminders();
        QCOMPARE(bench.sounds.size(), std::size_t(2));
        QCOMPARE(ReminderNames(*form), QStringList({"Call"}));  // listed once, never twice
    }

    void nothingRunsOverAQuestionOrBeforeThePasswordOrAtShutdown() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Due", Day(2026, 12, 7), At(10, 0), 1),
                           MakeEvent("Other", Day(2026, 12, 7), At(9, 0))});
        auto form = bench.Open();
        SelectLine(*form, "09:00 Other");
        bench.duringQuestion = [&form] { form->CheckReminders(); };
        Click(form->deleteButton);
        QCOMPARE(bench.questions, 1);
        QVERIFY(form->reminderPanel->isHidden());
        QVERIFY(bench.sounds.empty());

        bool password = true;
        TProgramState::Instance().PasswordPending = [&password] { return password; };
        form->CheckReminders();
        QVERIFY(form->reminderPanel->isHidden());
        QVERIFY(bench.sounds.empty());
        QVERIFY(bench.notifications.isEmpty());
        password = false;
        form->CheckReminders();
        QVERIFY(!form->reminderPanel->isHidden());
        Click(form->reminderPanel->closeButton);

        bool closing = true;
        TProgramState::Instance().ShutdownBegun = [&closing] { return closing; };
        form->CheckReminders();
        QVERIFY(form->reminderPanel->isHidden());
        QCOMPARE(bench.sounds.size(), std::size_t(1));
        emit TProgramState::Instance().shutdownDone();
        QVERIFY(!form->reminderTimer->isActive());
    }

    void leadZeroSwitchesTheCheckOff() {
        PlannerBench bench;
        SettingsRecord.ReminderLead = 0;
        bench.WriteEvents({MakeEvent("Due", Day(2026, 12, 1), At(10, 0), 1)});
        auto form = bench.Open();
        form->CheckReminders();
        QVERIFY(form->reminderPanel->isHidden());
        QVERIFY(bench.sounds.empty());
    }

    void postponeAndDismissReachTheEditorAndSkipDeletedEvents() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Move me", Day(2026, 12, 7), At(10, 0), 1),
                           MakeEvent("Quiet me", Day(2026, 12, 7), At(10, 2), 1),
                           MakeEvent("Gone", Day(2026, 12, 7), At(10, 3), 1)});
        auto form = bench.Open();
        SelectLine(*form, "10:00 Move me");
        Click(form->editButton);  // open in the editor
        form->CheckReminders();
        QCOMPARE(ReminderNames(*form).size(), 3);
        SelectReminder(*form, "Move me");
        Click(form->reminderPanel->postponeButton);
        QCOMPARE(form->Data().Events[0].Date, Day(2026, 12, 8));
        QCOMPARE(form->dateEdit->Text(), std::string("08.12.2026"));
        QVERIFY(form->monthGrid->IsMarked(QDate(2026, 12, 8)));
        QVERIFY(!ReminderNames(*form).contains("Move me"));
        Click(form->saveButton);  // a later save keeps the new day
        QCOMPARE(form->Data().Events[0].Date, Day(2026, 12, 8));

        SelectLine(*form, "10:02 Quiet me");
        Click(form->editButton);
        SelectReminder(*form, "Quiet me");
        Click(form->reminderPanel->dismissButton);
        QCOMPARE(form->Data().Events[1].Remind, std::uint8_t(0));
        QCOMPARE(form->Data().Events[1].Done, std::uint8_t(0));
        QVERIFY(!form->remindBox->isChecked());
        Click(form->saveButton);
        QCOMPARE(form->Data().Events[1].Remind, std::uint8_t(0));

        // Deleted in the main view while the panel is open: its line goes, nothing changes.
        QVERIFY(form->Data().DeleteEvent(form->Data().Events.RefAt(2)));
        form->Data().ClearChanged();
        SelectReminder(*form, "Gone");
        Click(form->reminderPanel->postponeButton);
        QVERIFY(!form->Data().Modified());
        QCOMPARE(form->reminderPanel->dueList->Count(), 0);
        QCOMPARE(form->Data().Events.Count(), std::size_t(2));
    }

    void aDoubleClickShowsTheEventsDay() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Old", Day(2026, 11, 20), At(8, 0), 1)});
        auto form = bench.Open();
        form->CheckReminders();
        SelectReminder(*form, "Old");
        form->reminderPanel->JumpToSelectedReminder();
        QVERIFY(form->reminderPanel->isHidden());
        QCOMPARE(form->SelectedDay(), Day(2026, 11, 20));
        QCOMPARE(DayLines(*form), QStringList({"08:00 Old"}));
        QCOMPARE(form->dayTitle->text(), ToQt(LongDayText(Day(2026, 11, 20))));
    }

    void theAlarmFileRules() {
        PlannerBench bench;
        bench.WriteEvents({MakeEvent("Due", Day(2026, 12, 7), At(10, 0), 1)});
        auto form = bench.Open();
        const std::string good = GoodWave();
        QCOMPARE(form->AlarmBuffer(), good);

        // Missing, too large: the sound loaded before stays.
        SettingsRecord.AlarmSound = "missing.wav";
        form->LoadAlarm();
        QCOMPARE(form->AlarmBuffer(), good);
        WriteFile(bench.Media("huge.wav"), std::string(kMaxAlarmBytes + 1, 'R'));
        SettingsRecord.AlarmSound = "huge.wav";
        form->LoadAlarm();
        QCOMPARE(form->AlarmBuffer(), good);
        form->CheckReminders();
        QCOMPARE(bench.sounds.back(), good);
        Click(form->reminderPanel->closeButton);

        // Readable content that is no wave replaces it and plays nothing; the panel still shows.
        WriteFile(bench.Media("broken.wav"), std::string("RIFF\x10\0\0\0WAVEfmt ", 16));
        SettingsRecord.AlarmSound = "broken.wav";
        form->LoadAlarm();
        QCOMPARE(form->AlarmBuffer(), std::string("RIFF\x10\0\0\0WAVEfmt ", 16));
        QCOMPARE(PlayWaveFromMemory(form->AlarmBuffer(), [] { return true; }), AlarmPlay::NoSound);
        SetSoundPlayer({});  // the real player, over a broken sound
        form->CheckReminders();
        QVERIFY(!form->reminderPanel->isHidden());
        Click(form->reminderPanel->closeButton);

        // An empty name plays nothing at all.
        SetSoundPlayer([&bench](const std::string& wave) { bench.sounds.push_back(wave); });
        const std::size_t played = bench.sounds.size();
        SettingsRecord.AlarmSound.clear();
        form->CheckReminders();
        QVERIFY(!form->reminderPanel->isHidden());
        QCOMPARE(bench.sounds.size(), played);
    }

    void aBadSoundNeverStopsTheWindowFromOpening() {
        PlannerBench bench;
        WriteFile(bench.Media("alarm.wav"), std::string("RIFF\xff\xff\xff\x7fWAVEdata\xff\xff\xff\x7f", 20));
        SetSoundPlayer({});
        bench.WriteEvents({MakeEvent("Due", Day(2026, 12, 7), At(10, 0), 1)});
        auto form = bench.Open();
        form->CheckReminders();
        QVERIFY(!form->reminderPanel->isHidden());
    }

    void withoutAnAudioOutputAGoodSoundIsSkipped() {
        QCOMPARE(PlayWaveFromMemory(GoodWave(), [] { return false; }), AlarmPlay::NoOutput);
        QCOMPARE(PlayWaveFromMemory(std::string(), [] { return true; }), AlarmPlay::NoSound);
    }

    void theDefaultNotifierNeedsADesktopThatOffersOne() {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        if (NotificationServicePresent()) QSKIP("a notification service is running here");
        SetTrayMessenger({});
        QVERIFY(!NotifyDesktop("title", "text"));
        int shown = 0;
        SetTrayMessenger([&shown](const QString&, const QString&) { return ++shown, true; });
        QVERIFY(NotifyDesktop("title", "text"));
        QCOMPARE(shown, 1);
        SetTrayMessenger({});
    }
};

QTEST_MAIN(CalendarRemindersTest)
#include "calendar_reminders_test.moc"
