// TCalendarForm: the daily planner section window. The main view holds the month grid with
// its navigation bar, the selected event's title and description, and the day list; four
// panels lie over the whole window, hidden until opened: the editor (Panel4), the all-records
// list (Panel6), the reminder list (Panel7) and the search (Panel8).
//
// Once a minute the reminder check lists the events due (Remind set, less than ReminderLead
// minutes away or past), plays the alarm, notifies the desktop and brings the program forward.
#pragma once

#include <QCheckBox>
#include <QMenu>
#include <QTimer>
#include <array>

#include "planner/calendar_panels.h"
#include "planner/planner.h"
#include "storage/stream_container.h"
#include "ui/controls.h"
#include "ui/month_grid.h"
#include "ui/section_window.h"
#include "ui/spin_button.h"

namespace pomix {

class TCalendarForm : public TSectionWindow {
    Q_OBJECT
public:
    static constexpr int kReminderInterval = 60'000;  // ms
    static constexpr int kLineHeight = 16;             // of the day list

    explicit TCalendarForm(StreamContainer& container, QWidget* parent = nullptr);

    Planner& Data() { return planner_; }
    const std::string& AlarmBuffer() const { return alarmBuffer_; }

    DateTime SelectedDay() const;
    void SetSelectedDay(DateTime day);  // an invalid date is ignored
    // The event of the selected day-list line, or none.
    EventRef SelectedEvent() const;
    // The event the editor was filled from at Edit (none while adding).
    EventRef EditorEvent() const { return editorEvent_; }

    // The main view.
    void Calendar1Click();
    void NextMonth();
    void PrewMonth();
    void NowDate();
    void UpDateList();
    void Show(EventRef ref);
    void Clear();
    void ImportSpecialDates();
    // Shows the day of an event, as a click on that day does; nothing for a deleted event or
    // one without a valid date.
    void JumpToEvent(EventRef ref);

    // The editor.
    void Add();
    void Edit();
    void AddORedit();
    void Delete();
    void Button5Click();  // the date picker for ADate
    void UpdateTime(int step);

    // Reminders.
    void Timer1Timer();
    void LoadAlarm();

    // The main view.
    TMonthGrid* Calendar1;
    TButton* PrewMonthButton;
    TButton* NowDateButton;
    TButton* AllRecordButton;
    TButton* NextMonthButton;
    TStaticButton* Text1;
    TLabel* Label1;
    TStaticButton* Text2;
    TOwnerDrawListBox* ListBox1;
    TButton* Button1;
    TButton* Button2;
    TButton* Button3;
    TButton* Button4;
    QMenu* PopupMenu1;
    QAction* N1;
    QAction* N2;
    QAction* N3;
    QAction* N4;
    // The editor.
    TPanel* Panel4;
    TComboBox* AName;
    TMaskEdit* ADate;
    TButton* Button5;
    TMaskEdit* ATime;
    TSpinButton* SpinButton1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    TMemo* AMemo;
    TButton* Button6;
    TButton* Button7;
    TButton* Button8;
    // The other panels.
    TAllRecordsPanel* Panel6;
    TReminderPanel* Panel7;
    TSearchPanel* Panel8;
    QTimer* Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ReInit() override;
    void FormClose() override;

private:
    void BuildMainView();
    void BuildEditor();
    void BuildPanels();
    std::array<QWidget*, 4> Panels() const;
    void DrawDayLine(QPainter& painter, const QRect& rect, int row, bool selected);
    void NotifyDue(const std::vector<EventLine>& due);
    void Postponed(EventRef ref);
    void Dismissed(EventRef ref);

    QWidget* mainView_ = nullptr;
    Planner planner_;
    EventLines dayLines_;
    EventRef editorEvent_;
    std::string alarmBuffer_;
    std::vector<EventRef> due_;  // kept between checks: a check allocates nothing new
};

}  // namespace pomix
