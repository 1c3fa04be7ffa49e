// The three panels of the planner window that look at events across days: the all-records
// list of a span (Panel6), the search (Panel8) and the reminder list (Panel7). Each lies over
// the whole window, hidden until opened. Their lines reach events only through EventLines, so
// a line whose event was deleted meanwhile is dropped and changes nothing.
#pragma once

#include <QRadioButton>
#include <vector>

#include "planner/event_search.h"
#include "planner/planner.h"
#include "ui/controls.h"

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

    void AllRecordButtonClick();  // the default span, then ShowAll
    void ShowAll();
    void SortedEvents(int key);
    void Button17Click();  // "..." beside "От"
    void Button18Click();  // "..." beside "До"
    void ListBox2DblClick();
    void Button16Click();  // "Закрыть"

    TStaticButton* StaticButton3;  // "Дата"
    TStaticButton* StaticButton4;  // "Время"
    TStaticButton* StaticButton5;  // "Название"
    TColumnListBox* ListBox2;
    TMaskEdit* MaskEdit3;
    TMaskEdit* MaskEdit4;
    TButton* Button16;
    TButton* Button17;
    TButton* Button18;

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

    void Open();           // "Поиск" of the main view: fields and results as left
    void Found();          // "Поиск" of the panel
    void ListBox4Click();  // jump to the event's day
    void Button15Click();  // "Очистить результаты"
    void Button14Click();  // "Очистить"
    void Button13Click();  // "Закрыть"
    SearchField Field() const;

    TColumnListBox* ListBox4;
    TEdit* Edit1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
    QRadioButton* RadioButton5;
    TButton* Button12;
    TButton* Button13;
    TButton* Button14;
    TButton* Button15;

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
    void ListBox3DblClick();
    void Button10Click();  // "Перенести"
    void Button11Click();  // "Не напоминать"
    void Button9Click();   // "Закрыть"

    TColumnListBox* ListBox3;
    TButton* Button9;
    TButton* Button10;
    TButton* Button11;

signals:
    void jumpTo(EventRef event);
    void postponed(EventRef event);
    void dismissed(EventRef event);

private:
    // The event of the selected line; a line whose event is gone is removed, giving nothing.
    Tevent* SelectedEvent(EventRef& ref);

    Planner& planner_;
    EventLines lines_;
};

}  // namespace pomix
