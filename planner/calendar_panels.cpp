#include "planner/calendar_panels.h"

#include <QFontMetrics>
#include <algorithm>

#include "planner/calendar_dialog.h"
#include "planner/day_rules.h"
#include "planner/event_sort.h"
#include "planner/reminders.h"
#include "ui/convert.h"

namespace pomix {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

TButton* MakeButton(QWidget* parent, const char* name, const QRect& at, const char* caption,
                    const char* hint) {
    auto* button = Make<TButton>(parent, name, at, U(caption));
    button->setToolTip(U(hint));
    return button;
}

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
    ListBox2 = columns.List;
    ListBox2->setToolTip(U("Список всех записей ежедневника в заданном интервале, переход на запись двойным щелчком"));
    StaticButton3 = columns.Headers[0];
    StaticButton4 = columns.Headers[1];
    StaticButton5 = columns.Headers[2];
    StaticButton3->Tag = kSortByDate;
    StaticButton5->Tag = kSortByName;
    StaticButton3->setToolTip(U("Сортировать по дате"));
    StaticButton5->setToolTip(U("Сортировать по названиям"));

    Make<TLabel>(this, "Label7", {8, kBottom + 2, 22, 20}, U("От"));
    MaskEdit3 = Make<TMaskEdit>(this, "MaskEdit3", {32, kBottom, 92, 24}, TMaskEdit::Kind::Date);
    Button17 = MakeButton(this, "Button17", {126, kBottom, 26, 24}, "...", "Открыть календарь,  для выбора даты");
    Make<TLabel>(this, "Label8", {164, kBottom + 2, 22, 20}, U("До"));
    MaskEdit4 = Make<TMaskEdit>(this, "MaskEdit4", {188, kBottom, 92, 24}, TMaskEdit::Kind::Date);
    Button18 = MakeButton(this, "Button18", {282, kBottom, 26, 24}, "...", "Открыть календарь,  для выбора даты");
    for (TMaskEdit* field : {MaskEdit3, MaskEdit4}) field->setToolTip(U("Дата : День.Месяц.Год"));
    Button16 = MakeButton(this, "Button16", {386, kBottom, 124, 24}, "Закрыть", "Закрыть просмотр всех записей");
    hide();

    for (TStaticButton* header : {StaticButton3, StaticButton5}) {
        connect(header, &TStaticButton::clicked, this, [this, header] { SortedEvents(header->Tag); });
    }
    connect(Button16, &QPushButton::clicked, this, &TAllRecordsPanel::Button16Click);
    connect(Button17, &QPushButton::clicked, this, &TAllRecordsPanel::Button17Click);
    connect(Button18, &QPushButton::clicked, this, &TAllRecordsPanel::Button18Click);
    connect(ListBox2, &QTreeWidget::itemDoubleClicked, this, &TAllRecordsPanel::ListBox2DblClick);
    // Enter in a span field shows the new span at once.
    connect(MaskEdit3, &QLineEdit::returnPressed, this, &TAllRecordsPanel::ShowAll);
    connect(MaskEdit4, &QLineEdit::returnPressed, this, &TAllRecordsPanel::ShowAll);
}

void TAllRecordsPanel::AllRecordButtonClick() {
    const DaySpan span = DefaultSpan(Today());
    MaskEdit3->SetText(DateToText(span.From));
    MaskEdit4->SetText(DateToText(span.To));
    ShowAll();
}

void TAllRecordsPanel::ShowAll() {
    const DateTime from = TextToDate(MaskEdit3->Text());
    const DateTime to = TextToDate(MaskEdit4->Text());
    ListBox2->setUpdatesEnabled(false);
    ListBox2->clear();
    lines_.Clear();
    std::vector<std::pair<std::vector<std::string>, ItemObject>> rows;
    for (std::size_t i = 0; i < planner_.Events.Count(); ++i) {
        const Tevent& event = planner_.Events[i];
        if (IsEventInSpan(event, from, to)) rows.emplace_back(SpanLineCells(event), lines_.Keep(planner_.Events.RefAt(i)));
    }
    ListBox2->AddRows(rows);
    ListBox2->setUpdatesEnabled(true);
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

void TAllRecordsPanel::Button17Click() { PickInto(MaskEdit3); }
void TAllRecordsPanel::Button18Click() { PickInto(MaskEdit4); }

void TAllRecordsPanel::ListBox2DblClick() {
    const int row = ListBox2->CurrentRow();
    if (row < 0) return;
    const EventRef ref = lines_.At(ListBox2->Object(row));
    if (!planner_.Events.Find(ref)) {
        delete ListBox2->takeTopLevelItem(row);
        return;
    }
    hide();
    emit jumpTo(ref);
}

void TAllRecordsPanel::Button16Click() {
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
    ListBox4 = columns.List;

    Make<TLabel>(this, "Label6", {8, 238, 50, 20}, U("Текст"));
    Edit1 = Make<TEdit>(this, "Edit1", {60, 236, 450, 24});
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
    QRadioButton** targets[5] = {&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4, &RadioButton5};
    for (int i = 0; i < 5; ++i) {
        *targets[i] = Make<QRadioButton>(this, radios[i].name, radios[i].at, U(radios[i].caption));
        (*targets[i])->setToolTip(U(radios[i].hint));
    }
    RadioButton5->setChecked(true);

    Button15 = MakeButton(this, "Button15", {4, kBottom, 160, 24}, "Очистить результаты", "Очистить результаты поиска");
    Button14 = MakeButton(this, "Button14", {168, kBottom, 110, 24}, "Очистить", "Очистить поля редактирования");
    Button13 = MakeButton(this, "Button13", {282, kBottom, 110, 24}, "Закрыть", "Закрыть окно поиска");
    Button12 = MakeButton(this, "Button12", {396, kBottom, 114, 24}, "Поиск", "Искать текст в записях");
    hide();

    connect(Button12, &QPushButton::clicked, this, &TSearchPanel::Found);
    connect(Button13, &QPushButton::clicked, this, &TSearchPanel::Button13Click);
    connect(Button14, &QPushButton::clicked, this, &TSearchPanel::Button14Click);
    connect(Button15, &QPushButton::clicked, this, &TSearchPanel::Button15Click);
    connect(Edit1, &QLineEdit::returnPressed, this, &TSearchPanel::Found);
    connect(ListBox4, &QTreeWidget::itemClicked, this, &TSearchPanel::ListBox4Click);
}

void TSearchPanel::Open() {
    show();
    raise();
    Edit1->setFocus();
}

SearchField TSearchPanel::Field() const {
    if (RadioButton1->isChecked()) return SearchField::Date;
    if (RadioButton2->isChecked()) return SearchField::Time;
    if (RadioButton3->isChecked()) return SearchField::Name;
    if (RadioButton4->isChecked()) return SearchField::Memo;
    return SearchField::Everywhere;
}

void TSearchPanel::Found() {
    std::vector<EventLine> found;
    const SearchField field = Field();
    if (!pomix::Found(planner_.Events, Edit1->Text(), field, found)) return;
    ListBox4->setUpdatesEnabled(false);
    ListBox4->clear();
    lines_.Clear();
    std::vector<std::pair<std::vector<std::string>, ItemObject>> rows;
    for (const EventLine& line : found) {
        if (const Tevent* event = planner_.Events.Find(line.Event)) {
            rows.emplace_back(FoundLineCells(*event, field), lines_.Keep(line.Event));
        }
    }
    ListBox4->AddRows(rows);
    ListBox4->setUpdatesEnabled(true);
}

void TSearchPanel::ListBox4Click() {
    const int row = ListBox4->CurrentRow();
    if (row < 0) return;
    const EventRef ref = lines_.At(ListBox4->Object(row));
    if (!planner_.Events.Find(ref)) {
        delete ListBox4->takeTopLevelItem(row);
        return;
    }
    hide();
    emit jumpTo(ref);
}

void TSearchPanel::Button15Click() {
    ListBox4->clear();
    lines_.Clear();
}

void TSearchPanel::Button14Click() {
    Edit1->clear();
    RadioButton5->setChecked(true);
}

void TSearchPanel::Button13Click() { hide(); }

// ---- Reminders ----

TReminderPanel::TReminderPanel(Planner& planner, QWidget* parent) : TPanel(parent), planner_(planner) {
    setObjectName("Panel7");
    MakeTitle(this, "Text4", "Напоминатель");
    const ColumnHeaders columns =
        MakeColumnList(this, "ListBox3", {4, kListTop, 506, kBottom - kListTop - 6},
                       {{"Text5", "Дата  Время"}, {"Text6", "Название"}}, {80, 293},
                       {WideDates(QStringLiteral(" 00:00"))});
    ListBox3 = columns.List;
    ListBox3->setToolTip(U("Список предстоящих дел, по двойному нажатию переход на дату события"));
    Button11 = MakeButton(this, "Button11", {4, kBottom, 164, 24}, "Не напоминать",
                          "Установка выделенного события как завершенного, больше не будет выдаваться предупреждение");
    Button10 = MakeButton(this, "Button10", {175, kBottom, 164, 24}, "Перенести",
                          "Перенести выделеноое событие на день вперед");
    Button9 = MakeButton(this, "Button9", {346, kBottom, 164, 24}, "Закрыть", "Закрыть напоминатель");
    hide();

    connect(Button9, &QPushButton::clicked, this, &TReminderPanel::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &TReminderPanel::Button10Click);
    connect(Button11, &QPushButton::clicked, this, &TReminderPanel::Button11Click);
    connect(ListBox3, &QTreeWidget::itemDoubleClicked, this, &TReminderPanel::ListBox3DblClick);
}

int TReminderPanel::Fill(const std::vector<EventLine>& due) {
    ListBox3->setUpdatesEnabled(false);
    ListBox3->clear();
    lines_.Clear();
    std::vector<std::pair<std::vector<std::string>, ItemObject>> rows;
    for (const EventLine& line : due) {
        if (const Tevent* event = planner_.Events.Find(line.Event)) {
            rows.emplace_back(ReminderLineCells(*event), lines_.Keep(line.Event));
        }
    }
    ListBox3->AddRows(rows);
    ListBox3->setUpdatesEnabled(true);
    return ListBox3->Count();
}

Tevent* TReminderPanel::SelectedEvent(EventRef& ref) {
    const int row = ListBox3->CurrentRow();
    if (row < 0) return nullptr;
    ref = lines_.At(ListBox3->Object(row));
    Tevent* event = planner_.Events.Find(ref);
    if (!event) delete ListBox3->takeTopLevelItem(row);
    return event;
}

void TReminderPanel::ListBox3DblClick() {
    EventRef ref;
    if (!SelectedEvent(ref)) return;
    hide();
    emit jumpTo(ref);
}

void TReminderPanel::Button10Click() {
    EventRef ref;
    if (!SelectedEvent(ref)) return;
    PostponeEvent(planner_, ref);
    delete ListBox3->takeTopLevelItem(ListBox3->CurrentRow());
    emit postponed(ref);
}

void TReminderPanel::Button11Click() {
    EventRef ref;
    if (!SelectedEvent(ref)) return;
    DismissReminder(planner_, ref);
    delete ListBox3->takeTopLevelItem(ListBox3->CurrentRow());
    emit dismissed(ref);
}

void TReminderPanel::Button9Click() { hide(); }

}  // namespace pomix
