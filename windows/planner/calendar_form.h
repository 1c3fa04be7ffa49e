// TCalendarForm: the daily planner section window. The main view holds the month grid with
// its navigation bar, the selected event's title and description, and the day list; four
// panels lie over the whole window, hidden until opened: the editor, the all-records list,
// the reminder list and the search.
//
// Once a minute the reminder check lists the events due (Remind set, less than ReminderLead
// minutes away or past), plays the alarm, notifies the desktop and brings the program forward.
#pragma once

#include <QCheckBox>
#include <QMenu>
#include <QTimer>
#include <array>

#include "windows/planner/calendar_panels.h"
#include "core/planner/planner.h"
#include "storage/stream_container.h"
#include "kit/controls.h"
#include "kit/form_parts.h"
#include "kit/month_grid.h"
#include "windows/section_window.h"
#include "kit/spin_button.h"

namespace pomix {

class TCalendarForm : public TSectionWindow {
    Q_OBJECT
public:
    static constexpr int kReminderInterval = 60'000;  // ms
    static constexpr int kLineHeight = 16;             // of the day list

    explicit TCalendarForm(StreamContainer& container, QWidget* parent = nullptr,
                           SectionLoad load = {});
    // The read of the section's file at the start of the process (storage/early_reads.h).
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    Planner& Data() { return planner_; }
    bool DataFileUnread() const override { return planner_.LoadFailed(); }
    const std::string& AlarmBuffer() const { return alarmBuffer_; }

    DateTime SelectedDay() const;
    void SetSelectedDay(DateTime day);  // an invalid date is ignored
    // The event of the selected day-list line, or none.
    EventRef SelectedEvent() const;
    // The event the editor was filled from at Edit (none while adding).
    EventRef EditorEvent() const { return editorEvent_; }

    // The main view.
    void ShowDay();
    void NextMonth();
    void PrewMonth();
    void NowDate();
    void UpDateList();
    // Selects the event's line, when the day shown has it, and gives the day list the focus.
    void FocusEvent(EventRef ref);
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
    void PickEditorDate();  // the date picker for dateEdit
    // Other programs' calendars: the events of an .ics file added (the file dialog's, or one
    // dropped on the window), and every event written to one.
    void ChooseImport();
    void ImportEvents(const std::string& path);
    void ExportEvents();
    void UpdateTime(int step);

    // The model's events came in or were replaced whole: shown afresh.
    void FollowModel(SectionModel::Change change);
    // The editor is open: a record may be half-typed.
    bool Editing() const { return !editorPanel->isHidden(); }

    // Reminders.
    void CheckReminders();
    void LoadAlarm();

    // The main view.
    TMonthGrid* monthGrid;               // Calendar1
    TButton* prevMonthButton;            // PrewMonthButton
    TButton* todayButton;                // NowDateButton
    TButton* allRecordsButton;           // AllRecordButton
    TButton* nextMonthButton;            // NextMonthButton
    TStaticButton* eventTitle;           // Text1
    TLabel* eventMemo;                   // Label1
    TStaticButton* dayTitle;             // Text2
    TOwnerDrawListBox* dayList;          // ListBox1
    TButton* deleteButton;               // Button1
    TButton* addButton;                  // Button2
    TButton* editButton;                 // Button3
    TButton* searchButton;               // Button4
    QMenu* dayMenu;                      // PopupMenu1
    QAction* editAction;                 // N1
    QAction* addAction;                  // N2
    QAction* searchAction;               // N3
    QAction* deleteAction;               // N4
    QAction* importAction;               // N5
    QAction* exportAction;               // N6
    // The editor.
    TPanel* editorPanel;                 // Panel4
    TComboBox* titleBox;                 // AName
    TMaskEdit* dateEdit;                 // ADate
    TButton* pickDateButton;             // Button5
    TMaskEdit* timeEdit;                 // ATime
    TSpinButton* timeSpin;               // SpinButton1
    QCheckBox* remindBox;                // CheckBox1
    QCheckBox* doneBox;                  // CheckBox2
    TMemo* memoEdit;                     // AMemo
    TButton* saveButton;                 // Button6
    TButton* clearButton;                // Button7
    TButton* cancelButton;               // Button8
    // The other panels.
    TAllRecordsPanel* allRecordsPanel;   // Panel6
    TReminderPanel* reminderPanel;       // Panel7
    TSearchPanel* searchPanel;           // Panel8
    QTimer* reminderTimer;               // Timer1
    TText* noticeTitleText;              // the desktop notice of due events: its title
    TText* noticeMoreText;               // and its last line past the first few, "%1" the rest
    TText* markedDayText;                // what a screen reader hears of a grid day with events

protected:
    void ReInit() override;
    void FormClose() override;
    std::optional<LoadWork> MakeLoad() override;
    SectionModel* Model() override { return &planner_; }

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
