// The three panels of the planner window that look at events across days: the all-records
// list of a span (Panel6), the search (Panel8) and the reminder list (Panel7). Each lies over
// the whole window, hidden until opened. Their lines reach events only through EventLines, so
// a line whose event was deleted meanwhile is dropped and changes nothing.
#pragma once

#include <QRadioButton>
#include <vector>

#include "core/planner/event_search.h"
#include "core/planner/planner.h"
#include "kit/controls.h"

namespace pomix {

// The events the lines of one list stand for. A line carries the number Keep gave it; the
// numbers stay valid while lines are removed, until the next Clear.
class EventLines {
public:
    ItemObject Keep(EventRef ref);
    EventRef At(ItemObject object) const;
    void Clear() { refs_.clear(); }

private:
    std::vector<EventRef> refs_;
};

// A column list with its column headers above it. The widths are minimums: a column is at
// least as wide as each of its widest texts (so a date is never clipped); the last column
// takes what is left.
struct ColumnHeaders {
    std::vector<TStaticButton*> Headers;
    TColumnListBox* List = nullptr;
};
ColumnHeaders MakeColumnList(QWidget* parent, const char* listName, const QRect& at,
                             const std::vector<std::pair<const char*, const char*>>& headers,
                             const std::vector<int>& widths, const std::vector<QStringList>& widest);

class TAllRecordsPanel : public TPanel {
    Q_OBJECT
public:
    TAllRecordsPanel(Planner& planner, QWidget* parent);

    void ShowDefaultSpan();  // the default span, then ShowAll
    void ShowAll();
    void SortedEvents(int key);
    void PickFromDate();  // "..." beside "От"
    void PickToDate();    // "..." beside "До"
    void JumpToSelectedRecord();
    void CloseAllRecords();  // "Закрыть"

    TStaticButton* dateHeader;           // StaticButton3, "Дата"
    TStaticButton* timeHeader;           // StaticButton4, "Время"
    TStaticButton* nameHeader;           // StaticButton5, "Название"
    TColumnListBox* recordList;          // ListBox2
    TMaskEdit* fromEdit;                 // MaskEdit3
    TMaskEdit* toEdit;                   // MaskEdit4
    TButton* closeButton;                // Button16
    TButton* pickFromButton;             // Button17
    TButton* pickToButton;               // Button18

signals:
    void showingAll();             // the list was rebuilt: the editor fields are emptied
    void jumpTo(EventRef event);   // show the event's day in the main view
    void closedPanel();

private:
    void PickInto(TMaskEdit* field);

    Planner& planner_;
    EventLines lines_;
};

class TSearchPanel : public TPanel {
    Q_OBJECT
public:
    TSearchPanel(Planner& planner, QWidget* parent);

    void Open();                  // "Поиск" of the main view: fields and results as left
    void Found();                 // "Поиск" of the panel
    void JumpToSelectedResult();  // jump to the event's day
    void ClearResults();          // "Очистить результаты"
    void ClearFields();           // "Очистить"
    void CloseSearch();           // "Закрыть"
    SearchField Field() const;

    TColumnListBox* resultList;          // ListBox4
    TEdit* searchEdit;                   // Edit1
    QRadioButton* byDateButton;          // RadioButton1
    QRadioButton* byTimeButton;          // RadioButton2
    QRadioButton* byNameButton;          // RadioButton3
    QRadioButton* byMemoButton;          // RadioButton4
    QRadioButton* everywhereButton;      // RadioButton5
    TButton* findButton;                 // Button12
    TButton* closeButton;                // Button13
    TButton* clearButton;                // Button14
    TButton* clearResultsButton;         // Button15

signals:
    void jumpTo(EventRef event);

private:
    Planner& planner_;
    EventLines lines_;
};

// The reminder list. Its texts are fixed: the dictionary does not reach them.
class TReminderPanel : public TPanel {
    Q_OBJECT
public:
    TReminderPanel(Planner& planner, QWidget* parent);

    // Replaces the lines with the due events (already in the list's order); gives their count.
    int Fill(const std::vector<EventLine>& due);
    void JumpToSelectedReminder();
    void PostponeSelected();  // "Перенести"
    void DismissSelected();   // "Не напоминать"
    void CloseReminders();    // "Закрыть"

    TColumnListBox* dueList;             // ListBox3
    TButton* closeButton;                // Button9
    TButton* postponeButton;             // Button10
    TButton* dismissButton;              // Button11

signals:
    void jumpTo(EventRef event);
    void postponed(EventRef event);
    void dismissed(EventRef event);

private:
    // The event of the selected line; a line whose event is gone is removed, giving nothing.
    Event* SelectedEvent(EventRef& ref);

    Planner& planner_;
    EventLines lines_;
};

}  // namespace pomix
