// A planner window over a folder of its own, with a frozen clock and every dialog, sound and
// notification answered by the test.
#pragma once

#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>
#include <memory>

#include "windows/planner/calendar_dialog.h"
#include "windows/planner/calendar_form.h"
#include "core/planner/day_rules.h"
#include "core/planner/reminders.h"
#include "core/media/tests/wave_support.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/report.h"
#include "kit/alarm_sound.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/message.h"
#include "kit/notifier.h"
#include "kit/program_state.h"

namespace pomix::testing {

inline DateTime Day(int y, int m, int d) {
    DateTime day = 0;
    TryEncodeDate(y, m, d, day);
    return day;
}

inline DateTime At(int hour, int minute) { return EncodeTime(hour, minute); }

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Everything a window test replaces, restored when it ends.
struct PlannerBench {
    QTemporaryDir folder;
    StreamContainer container;
    DateTime now = Day(2026, 12, 7) + At(10, 0);
    int questions = 0;
    int errors = 0;
    bool answerYes = true;
    std::function<void()> duringQuestion;
    std::vector<std::string> sounds;
    QStringList notifications;
    int reports = 0;
    std::vector<std::string> reported;  // the texts of the reports

    PlannerBench() {
        container.Compressed = true;
        SetProgramDir(folder.path().toStdString());
        QDir(folder.path()).mkpath("Data");
        QDir(folder.path()).mkpath("Media");
        SettingsRecord = TSettingsRecord{};
        SettingsRecord.ConfirmDelete = true;
        SettingsRecord.HighlightPlannedDays = true;
        SettingsRecord.ReminderLead = 15;
        SettingsRecord.AlarmSound = "alarm.wav";
        SettingsRecord.DoneEventColor = 0x0000FF00;  // green
        SettingsRecord.EditTextColor = 0x00000000;
        WriteFile(Media("alarm.wav"), GoodWave());
        SetAllRecolourPending();
        SetClock([this] { return now; });
        SetReportHook([this](const std::string& text) {
            ++reports;
            reported.push_back(text);
        });
        SetMessagePresenter([this](MessageKind kind, const QString&) {
            if (kind == MessageKind::Error) {
                ++errors;
                return MessageAnswer::Ok;
            }
            ++questions;
            if (duringQuestion) duringQuestion();
            return answerYes ? MessageAnswer::Yes : MessageAnswer::No;
        });
        SetSoundPlayer([this](const std::string& wave) { sounds.push_back(wave); });
        SetNotifier([this](const QString&, const QString& text) {
            notifications << text;
            return true;
        });
        SetBringForward({});
        TProgramState::Instance().PasswordPending = {};
        TProgramState::Instance().ShutdownBegun = {};
    }
    ~PlannerBench() {
        SetClock({});
        SetReportHook({});
        SetMessagePresenter({});
        SetSoundPlayer({});
        SetNotifier({});
        SetProgramDir("");
        TProgramState::Instance().PasswordPending = {};
        TProgramState::Instance().ShutdownBegun = {};
    }

    std::string Data(const char* name) const { return folder.path().toStdString() + "/Data/" + name; }
    std::string Media(const char* name) const { return folder.path().toStdString() + "/Media/" + name; }

    // Writes Calendar.dat with these events, in this order.
    void WriteEvents(const std::vector<Event>& events) {
        Planner planner(container, Data("Calendar.dat"));
        for (const Event& event : events) planner.Events.Append(event);
        planner.MarkChanged();
        planner.SaveCalendarList();
    }
    // The events as stored in Calendar.dat now.
    std::vector<Event> StoredEvents() {
        Planner planner(container, Data("Calendar.dat"));
        planner.LoadCalendarList();
        return {planner.Events.begin(), planner.Events.end()};
    }

    // A window, shown as the main window shows it.
    std::unique_ptr<TCalendarForm> Open() {
        auto form = std::make_unique<TCalendarForm>(container);
        form->show();
        return form;
    }
};

inline Event MakeEvent(const std::string& name, DateTime date, DateTime time,
                       std::uint8_t remind = 0, std::uint8_t done = 0, const StrList& memo = {}) {
    return Event(name, memo, date, time, 1, remind, done);
}

// The texts of the day list, top to bottom.
inline QStringList DayLines(const TCalendarForm& form) {
    QStringList lines;
    for (int row = 0; row < form.dayList->count(); ++row) lines << form.dayList->item(row)->text();
    return lines;
}

inline int RowOf(const TCalendarForm& form, const QString& text) {
    for (int row = 0; row < form.dayList->count(); ++row) {
        if (form.dayList->item(row)->text() == text) return row;
    }
    return -1;
}

inline void SelectLine(TCalendarForm& form, const QString& text) {
    const int row = RowOf(form, text);
    QVERIFY2(row >= 0, qPrintable(text));
    form.dayList->setCurrentRow(row);
}

inline void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

inline void ClickDay(TCalendarForm& form, const QDate& day) {
    const QRect cell = form.monthGrid->DayRect(day);
    QVERIFY(cell.isValid());
    QTest::mouseClick(form.monthGrid, Qt::LeftButton, {}, cell.center());
}

inline QStringList Column(const TColumnListBox& list, int column) {
    QStringList cells;
    for (int row = 0; row < list.Count(); ++row) cells << list.Cell(row, column);
    return cells;
}

}  // namespace pomix::testing
