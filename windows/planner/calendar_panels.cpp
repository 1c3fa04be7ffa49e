#include "windows/planner/calendar_panels.h"

#include <QFontMetrics>
#include <algorithm>
#include <utility>

#include "windows/planner/calendar_dialog.h"
#include "core/planner/day_rules.h"
#include "core/planner/event_sort.h"
#include "core/planner/reminders.h"
#include "storage/report.h"
#include "kit/accessibility.h"
#include "kit/convert.h"
#include "kit/form_parts.h"

namespace pomix {
namespace {

TStaticButton* MakeTitle(QWidget* parent, const char* name, const char* caption) {
    return Make<TStaticButton>(parent, name, {4, 4, 506, 20}, U(caption));
}

// The dates a list line can show, to size its column by: a wide day of the locale's form
// (which may name the month) and the fixed form.
QStringList WideDates(const QString& after = QString()) {
    DateTime day = 0;
    TryEncodeDate(2000, 12, 28, day);
    return {ToQt(LocaleDateText(day)) + after, QStringLiteral("00.00.0000") + after};
}

constexpr int kBottom = 332;  // top of the command bar
constexpr int kListTop = 50;

}  // namespace

ItemObject EventLines::Keep(EventRef ref) {
    refs_.push_back(ref);
    return static_cast<ItemObject>(refs_.size() - 1);
}

EventRef EventLines::At(ItemObject object) const {
    return object < refs_.size() ? refs_[object] : EventRef{};
}

ColumnHeaders MakeColumnList(QWidget* parent, const char* listName, const QRect& at,
                             const std::vector<std::pair<const char*, const char*>>& headers,
                             const std::vector<int>& widths, const std::vector<QStringList>& widest) {
    ColumnHeaders made;
    made.List = Make<TColumnListBox>(parent, listName, at);
    const QFontMetrics metrics(made.List->font());
    std::vector<int> columns = widths;
    for (std::size_t i = 0; i + 1 < columns.size() && i < widest.size(); ++i) {
        for (const QString& text : widest[i]) columns[i] = std::max(columns[i], metrics.horizontalAdvance(text) + 14);
    }
    made.List->SetColumnWidths(columns);
    int x = at.left();
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const bool last = i + 1 == headers.size();
        const int w = last ? at.right() + 1 - x : columns[i];
        auto* header = Make<TStaticButton>(parent, headers[i].first, {x, at.top() - 22, w, 20},
                                           U(headers[i].second));
        made.Headers.push_back(header);
        x += w;
    }
    return made;
}

// ---- All records ----

TAllRecordsPanel::TAllRecordsPanel(Planner& planner, QWidget* parent) : TPanel(parent), planner_(planner) {
    setObjectName("Panel6");
    MakeTitle(this, "Text8", "Все записи");
    const ColumnHeaders columns =
        MakeColumnList(this, "ListBox2", {4, kListTop, 506, kBottom - kListTop - 6},
                       {{"StaticButton3", "Дата"}, {"StaticButton4", "Время"}, {"StaticButton5", "Название"}},
                       {50, 50, 345}, {WideDates(), {QStringLiteral("00:00")}});
    recordList = columns.List;
    recordList->setToolTip(U("Список всех записей ежедневника в заданном интервале, переход на запись двойным щелчком"));
    dateHeader = columns.Headers[0];
    timeHeader = columns.Headers[1];
    nameHeader = columns.Headers[2];
    dateHeader->Tag = kSortByDate;
    nameHeader->Tag = kSortByName;
    dateHeader->setToolTip(U("Сортировать по дате"));
    nameHeader->setToolTip(U("Сортировать по названиям"));

    // Room for "From" as well.
    Make<TLabel>(this, "Label7", {4, kBottom + 2, 34, 20}, U("От"));
    fromEdit = Make<TMaskEdit>(this, "MaskEdit3", {38, kBottom, 86, 24}, TMaskEdit::Kind::Date);
    pickFromButton = MakeButton(this, "Button17", {126, kBottom, 26, 24}, "...", "Открыть календарь,  для выбора даты");
    Make<TLabel>(this, "Label8", {164, kBottom + 2, 22, 20}, U("До"));
    toEdit = Make<TMaskEdit>(this, "MaskEdit4", {188, kBottom, 92, 24}, TMaskEdit::Kind::Date);
    pickToButton = MakeButton(this, "Button18", {282, kBottom, 26, 24}, "...", "Открыть календарь,  для выбора даты");
    for (TMaskEdit* field : {fromEdit, toEdit}) field->setToolTip(U("Дата : День.Месяц.Год"));
    closeButton = MakeButton(this, "Button16", {386, kBottom, 124, 24}, "Закрыть", "Закрыть просмотр всех записей");
    hide();

    for (TStaticButton* header : {dateHeader, nameHeader}) {
        connect(header, &TStaticButton::clicked, this, [this, header] { SortedEvents(header->Tag); });
    }
    connect(closeButton, &QPushButton::clicked, this, &TAllRecordsPanel::CloseAllRecords);
    connect(pickFromButton, &QPushButton::clicked, this, &TAllRecordsPanel::PickFromDate);
    connect(pickToButton, &QPushButton::clicked, this, &TAllRecordsPanel::PickToDate);
    connect(recordList, &QTreeWidget::itemDoubleClicked, this, &TAllRecordsPanel::JumpToSelectedRecord);
    ActivateOnEnter(recordList);
    // Enter in a span field shows the new span at once.
    connect(fromEdit, &QLineEdit::returnPressed, this, &TAllRecordsPanel::ShowAll);
    connect(toEdit, &QLineEdit::returnPressed, this, &TAllRecordsPanel::ShowAll);
}

void TAllRecordsPanel::ShowDefaultSpan() {
    const DaySpan span = DefaultSpan(Today());
    fromEdit->SetText(DateToText(span.From));
    toEdit->SetText(DateToText(span.To));
    ShowAll();
}

void TAllRecordsPanel::ShowAll() {
    // A bound that does not read leaves the list as it was, after one message.
    DateTime from = 0, to = 0;
    for (auto [field, bound] : {std::pair{fromEdit, &from}, std::pair{toEdit, &to}}) {
        if (!TryTextToDate(field->Text(), *bound)) {
            Report(kIncorrectDateMessage);
            field->setFocus();
            return;
        }
    }
    recordList->setUpdatesEnabled(false);
    recordList->clear();
    lines_.Clear();
    std::vector<std::pair<std::vector<std::string>, ItemObject>> rows;
    for (std::size_t i = 0; i < planner_.Events.Count(); ++i) {
        const Event& event = planner_.Events[i];
        if (IsEventInSpan(event, from, to)) rows.emplace_back(SpanLineCells(event), lines_.Keep(planner_.Events.RefAt(i)));
    }
    recordList->AddRows(rows);
    recordList->setUpdatesEnabled(true);
    emit showingAll();
    show();
    raise();
}

void TAllRecordsPanel::SortedEvents(int key) {
    planner_.SortedEvents(key);
    ShowAll();
}

void TAllRecordsPanel::PickInto(TMaskEdit* field) {
    TCalendarDialog* picker = TCalendarDialog::Instance();
    if (!picker) return;
    picker->SetPickedDay(TextToDate(field->Text()));
    if (!picker->Run()) return;
    field->SetText(DateToText(picker->PickedDay()));
    ShowAll();
}

void TAllRecordsPanel::PickFromDate() { PickInto(fromEdit); }
void TAllRecordsPanel::PickToDate() { PickInto(toEdit); }

void TAllRecordsPanel::JumpToSelectedRecord() {
    const int row = recordList->CurrentRow();
    if (row < 0) return;
    const EventRef ref = lines_.At(recordList->Object(row));
    if (!planner_.Events.Find(ref)) {
        delete recordList->takeTopLevelItem(row);
        return;
    }
    hide();
    emit jumpTo(ref);
}

void TAllRecordsPanel::CloseAllRecords() {
    hide();
    emit closedPanel();
}

// ---- Search ----

TSearchPanel::TSearchPanel(Planner& planner, QWidget* parent) : TPanel(parent), planner_(planner) {
    setObjectName("Panel8");
    MakeTitle(this, "Text7", "Поиск");
    const ColumnHeaders columns =
        MakeColumnList(this, "ListBox4", {4, kListTop, 506, 178},
                       {{"StaticButton1", "Дата Время"}, {"StaticButton2", "Название"}}, {90, 332},
                       {WideDates(QStringLiteral("  00:00"))});
    resultList = columns.List;

    Make<TLabel>(this, "Label6", {8, 238, 50, 20}, U("Текст"));
    searchEdit = Make<TEdit>(this, "Edit1", {60, 236, 450, 24});
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        QRect at;
    } radios[5] = {
        {"RadioButton1", "По дате", "Поиск произврдится по дате события", {60, 266, 140, 20}},
        {"RadioButton2", "По времени", "Поиск по времени события", {210, 266, 140, 20}},
        {"RadioButton3", "По названию", "Поиск по названию событий", {360, 266, 150, 20}},
        {"RadioButton4", "По описанию", "Поиск по описанию событий", {60, 290, 140, 20}},
        {"RadioButton5", "Везде", "Поиск ведется по всем полям записи", {210, 290, 140, 20}},
    };
    QRadioButton** targets[5] = {&byDateButton, &byTimeButton, &byNameButton, &byMemoButton, &everywhereButton};
    for (int i = 0; i < 5; ++i) {
        *targets[i] = Make<QRadioButton>(this, radios[i].name, radios[i].at, U(radios[i].caption));
        (*targets[i])->setToolTip(U(radios[i].hint));
    }
    everywhereButton->setChecked(true);

    clearResultsButton = MakeButton(this, "Button15", {4, kBottom, 160, 24}, "Очистить результаты", "Очистить результаты поиска");
    clearButton = MakeButton(this, "Button14", {168, kBottom, 110, 24}, "Очистить", "Очистить поля редактирования");
    closeButton = MakeButton(this, "Button13", {282, kBottom, 110, 24}, "Закрыть", "Закрыть окно поиска");
    findButton = MakeButton(this, "Button12", {396, kBottom, 114, 24}, "Поиск", "Искать текст в записях");
    hide();

    connect(findButton, &QPushButton::clicked, this, &TSearchPanel::Found);
    connect(closeButton, &QPushButton::clicked, this, &TSearchPanel::CloseSearch);
    connect(clearButton, &QPushButton::clicked, this, &TSearchPanel::ClearFields);
    connect(clearResultsButton, &QPushButton::clicked, this, &TSearchPanel::ClearResults);
    connect(searchEdit, &QLineEdit::returnPressed, this, &TSearchPanel::Found);
    connect(resultList, &QTreeWidget::itemClicked, this, &TSearchPanel::JumpToSelectedResult);
    // The keyboard's way: Enter on a result.
    connect(resultList, &QTreeWidget::itemDoubleClicked, this, &TSearchPanel::JumpToSelectedResult);
    ActivateOnEnter(resultList);
}

void TSearchPanel::Open() {
    show();
    raise();
    searchEdit->setFocus();
}

SearchField TSearchPanel::Field() const {
    if (byDateButton->isChecked()) return SearchField::Date;
    if (byTimeButton->isChecked()) return SearchField::Time;
    if (byNameButton->isChecked()) return SearchField::Name;
    if (byMemoButton->isChecked()) return SearchField::Memo;
    return SearchField::Everywhere;
}

void TSearchPanel::Found() {
    std::vector<EventLine> found;
    const SearchField field = Field();
    if (!pomix::Found(planner_.Events, searchEdit->Text(), field, found)) return;
    resultList->setUpdatesEnabled(false);
    resultList->clear();
    lines_.Clear();
    std::vector<std::pair<std::vector<std::string>, ItemObject>> rows;
    for (const EventLine& line : found) {
        if (const Event* event = planner_.Events.Find(line.Event)) {
            rows.emplace_back(FoundLineCells(*event, field), lines_.Keep(line.Event));
        }
    }
    resultList->AddRows(rows);
    resultList->setUpdatesEnabled(true);
}

void TSearchPanel::JumpToSelectedResult() {
    const int row = resultList->CurrentRow();
    if (row < 0) return;
    const EventRef ref = lines_.At(resultList->Object(row));
    if (!planner_.Events.Find(ref)) {
        delete resultList->takeTopLevelItem(row);
        return;
    }
    hide();
    emit jumpTo(ref);
}

void TSearchPanel::ClearResults() {
    resultList->clear();
    lines_.Clear();
}

void TSearchPanel::ClearFields() {
    searchEdit->clear();
    everywhereButton->setChecked(true);
}

void TSearchPanel::CloseSearch() { hide(); }

// ---- Reminders ----

TReminderPanel::TReminderPanel(Planner& planner, QWidget* parent) : TPanel(parent), planner_(planner) {
    setObjectName("Panel7");
    MakeTitle(this, "Text4", "Напоминатель");
    const ColumnHeaders columns =
        MakeColumnList(this, "ListBox3", {4, kListTop, 506, kBottom - kListTop - 6},
                       {{"Text5", "Дата  Время"}, {"Text6", "Название"}}, {80, 293},
                       {WideDates(QStringLiteral(" 00:00"))});
    dueList = columns.List;
    dueList->setToolTip(U("Список предстоящих дел, по двойному нажатию переход на дату события"));
    dismissButton = MakeButton(this, "Button11", {4, kBottom, 164, 24}, "Не напоминать",
                          "Установка выделенного события как завершенного, больше не будет выдаваться предупреждение");
    postponeButton = MakeButton(this, "Button10", {175, kBottom, 164, 24}, "Перенести",
                          "Перенести выделенное событие на день вперёд");
    closeButton = MakeButton(this, "Button9", {346, kBottom, 164, 24}, "Закрыть", "Закрыть напоминатель");
    hide();

    connect(closeButton, &QPushButton::clicked, this, &TReminderPanel::CloseReminders);
    connect(postponeButton, &QPushButton::clicked, this, &TReminderPanel::PostponeSelected);
    connect(dismissButton, &QPushButton::clicked, this, &TReminderPanel::DismissSelected);
    connect(dueList, &QTreeWidget::itemDoubleClicked, this, &TReminderPanel::JumpToSelectedReminder);
    ActivateOnEnter(dueList);
}

int TReminderPanel::Fill(const std::vector<EventLine>& due) {
    dueList->setUpdatesEnabled(false);
    dueList->clear();
    lines_.Clear();
    std::vector<std::pair<std::vector<std::string>, ItemObject>> rows;
    for (const EventLine& line : due) {
        if (const Event* event = planner_.Events.Find(line.Event)) {
            rows.emplace_back(ReminderLineCells(*event), lines_.Keep(line.Event));
        }
    }
    dueList->AddRows(rows);
    dueList->setUpdatesEnabled(true);
    return dueList->Count();
}

Event* TReminderPanel::SelectedEvent(EventRef& ref) {
    const int row = dueList->CurrentRow();
    if (row < 0) return nullptr;
    ref = lines_.At(dueList->Object(row));
    Event* event = planner_.Events.Find(ref);
    if (!event) delete dueList->takeTopLevelItem(row);
    return event;
}

void TReminderPanel::JumpToSelectedReminder() {
    EventRef ref;
    if (!SelectedEvent(ref)) return;
    hide();
    emit jumpTo(ref);
}

void TReminderPanel::PostponeSelected() {
    EventRef ref;
    if (!SelectedEvent(ref)) return;
    PostponeEvent(planner_, ref);
    delete dueList->takeTopLevelItem(dueList->CurrentRow());
    emit postponed(ref);
}

void TReminderPanel::DismissSelected() {
    EventRef ref;
    if (!SelectedEvent(ref)) return;
    DismissReminder(planner_, ref);
    delete dueList->takeTopLevelItem(dueList->CurrentRow());
    emit dismissed(ref);
}

void TReminderPanel::CloseReminders() { hide(); }

}  // namespace pomix
