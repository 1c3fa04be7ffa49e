#include "planner/calendar_form.h"

#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <cmath>

#include "planner/alarm_wave.h"
#include "planner/calendar_dialog.h"
#include "planner/day_rules.h"
#include "planner/reminders.h"
#include "settings/program_files.h"
#include "settings/settings_record.h"
#include "ui/alarm_sound.h"
#include "ui/convert.h"
#include "ui/desktop.h"
#include "ui/message.h"
#include "ui/notifier.h"
#include "ui/program_state.h"

namespace pomix {
namespace {

const char kDeleteQuestion[] = "Delete record ?\rУдалить запись ?";
constexpr int kNotifiedLines = 8;  // a notification names at most this many events

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

TButton* MakeButton(QWidget* parent, const char* name, const QRect& at, const char* caption,
                    const char* hint = nullptr) {
    auto* button = Make<TButton>(parent, name, at, U(caption));
    if (hint) button->setToolTip(U(hint));
    return button;
}

// The reminder mark of the day list (10 x 10): a small clock face.
const QPixmap& ReminderMark() {
    static const QPixmap mark = [] {
        QPixmap pixmap(10, 10);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(0x80, 0x20, 0x00));
        p.setBrush(QColor(0xFF, 0xC0, 0x40));
        p.drawEllipse(QRectF(0.5, 0.5, 9, 9));
        p.drawLine(QPointF(5, 5), QPointF(5, 2));
        p.drawLine(QPointF(5, 5), QPointF(7.5, 5));
        return pixmap;
    }();
    return mark;
}

void PresetPicker(DateTime day) {
    if (auto* picker = TCalendarDialog::Instance()) picker->SetPickedDay(day);
}

}  // namespace

TCalendarForm::TCalendarForm(StreamContainer& container, QWidget* parent)
    : TSectionWindow(
          kRecolourPlanner, "CalendarForm",
          ExpandItems({"Button1-4.Caption,Hint", "Text1.Hint", "Text2.Hint", "AllRecordButton.Caption,Hint",
                       "NextMonthButton.Caption,Hint", "NowDateButton.Caption,Hint",
                       "PrewMonthButton.Caption,Hint", "N1-4.Caption", "Button5.Hint", "Button6-8.Caption,Hint",
                       "AName.Hint", "ADate.Hint", "ATime.Hint", "AMemo.Hint", "CheckBox1.Hint", "CheckBox2.Hint",
                       "ListBox1.Hint", "Text7.Caption", "StaticButton1-2.Caption,Hint", "ListBox4.Hint",
                       "Label6.Caption", "RadioButton1-5.Caption,Hint", "Button12-15.Caption,Hint",
                       "Text8.Caption", "StaticButton3.Caption,Hint", "StaticButton4.Caption",
                       "StaticButton5.Caption,Hint", "ListBox2.Hint", "Label7.Caption", "Label8.Caption",
                       "Button16.Caption,Hint", "Button17.Hint", "Button18.Hint", "CheckBox1.Caption",
                       "CheckBox2.Caption", "Text3.Caption", "Label2-5.Caption"}),
          parent),
      planner_(container, DataDir() + "Calendar.dat") {
    setObjectName("CalendarForm");
    BuildMainView();
    BuildEditor();
    BuildPanels();

    // FormCreate.
    Modified = false;
    SetSelectedDay(Today());
    FileName = planner_.FileName();
    planner_.LoadCalendarList();
    ImportSpecialDates();
    binding_.BindDictionary();
    LoadAlarm();
    NowDate();
    UpDateList();

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kReminderInterval);
    connect(Timer1, &QTimer::timeout, this, &TCalendarForm::Timer1Timer);
    connect(&TProgramState::Instance(), &TProgramState::shutdownDone, Timer1, &QTimer::stop);
    Timer1->start();
}

void TCalendarForm::BuildMainView() {
    // The main view's controls share one parent, hidden while a panel covers them: covered
    // controls must not take the focus or show in the accessibility tree.
    QWidget* view = mainView_ = Make<QWidget>(this, "MainView", rect());
    PrewMonthButton = MakeButton(view, "PrewMonthButton", {4, 4, 30, 22}, "<<", "Перейти на месяц назад");
    NowDateButton =
        MakeButton(view, "NowDateButton", {36, 4, 84, 22}, "Сегодня", "Перевод календаря на сегоднешнее число");
    AllRecordButton = MakeButton(view, "AllRecordButton", {122, 4, 96, 22}, "Все записи",
                                 "Показать записи в заданном интервале");
    NextMonthButton = MakeButton(view, "NextMonthButton", {220, 4, 30, 22}, ">>", "Перейти на месяц вперед");
    Calendar1 = Make<TMonthGrid>(view, "Calendar1", {4, 28, 246, 176});
    Calendar1->SetStepButtonsShown(false);
    Text1 = Make<TStaticButton>(view, "Text1", {4, 208, 246, 20}, QString());
    Text1->setToolTip(U("Название события"));

    // A long description scrolls.
    auto* scroll = Make<QScrollArea>(view, "ScrollBox1", {4, 230, 246, 96});
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    Label1 = new TLabel(QString(), scroll);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setAutoFillBackground(true);
    scroll->setWidget(Label1);

    Text2 = Make<TStaticButton>(view, "Text2", {254, 4, 256, 22}, QString());
    ListBox1 = Make<TOwnerDrawListBox>(view, "ListBox1", {254, 28, 256, 298});
    ListBox1->setToolTip(
        U("Список событий на текущий день, двойной клик переход в режим редактирования"));
    ListBox1->SetItemHeight(kLineHeight);
    ListBox1->SetDrawItem([this](QPainter& painter, const QRect& rect, int row, bool selected) {
        DrawDayLine(painter, rect, row, selected);
    });

    Button4 = MakeButton(view, "Button4", {4, 332, 122, 24}, "Поиск", "Поиск по записям");
    Button3 = MakeButton(view, "Button3", {130, 332, 124, 24}, "Редактировать", "Редактировать текущее событие");
    Button2 = MakeButton(view, "Button2", {258, 332, 124, 24}, "Добавить", "Добавить новое событие");
    Button1 = MakeButton(view, "Button1", {386, 332, 124, 24}, "Удалить", "Удалить текущее событие");

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    const auto item = [this](const char* name, const char* caption) {
        QAction* action = PopupMenu1->addAction(U(caption));
        action->setObjectName(name);
        return action;
    };
    N1 = item("N1", "Редактировать");
    N2 = item("N2", "Добавить");
    N3 = item("N3", "Поиск");
    N4 = item("N4", "Удалить");
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListBox1->mapToGlobal(at)); });

    connect(Calendar1, &TMonthGrid::dayClicked, this, &TCalendarForm::Calendar1Click);
    connect(PrewMonthButton, &QPushButton::clicked, this, &TCalendarForm::PrewMonth);
    connect(NextMonthButton, &QPushButton::clicked, this, &TCalendarForm::NextMonth);
    connect(NowDateButton, &QPushButton::clicked, this, &TCalendarForm::NowDate);
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] {
        if (const EventRef ref = SelectedEvent(); ref.Id != 0) Show(ref);
    });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TCalendarForm::Edit);
    connect(Button1, &QPushButton::clicked, this, &TCalendarForm::Delete);
    connect(Button2, &QPushButton::clicked, this, &TCalendarForm::Add);
    connect(Button3, &QPushButton::clicked, this, &TCalendarForm::Edit);
    connect(N1, &QAction::triggered, this, &TCalendarForm::Edit);
    connect(N2, &QAction::triggered, this, &TCalendarForm::Add);
    connect(N4, &QAction::triggered, this, &TCalendarForm::Delete);
}

void TCalendarForm::BuildEditor() {
    Panel4 = Make<TPanel>(this, "Panel4", rect());
    Make<TStaticButton>(Panel4, "Text3", {4, 4, 506, 20}, U("Добавить - Редактировать событие"));
    Make<TLabel>(Panel4, "Label3", {8, 32, 80, 20}, U("Название"));
    AName = Make<TComboBox>(Panel4, "AName", {90, 30, 420, 24});
    AName->SetEditable(true);
    AName->setToolTip(U("Название события"));
    Make<TLabel>(Panel4, "Label2", {8, 60, 80, 20}, U("Дата"));
    ADate = Make<TMaskEdit>(Panel4, "ADate", {90, 58, 100, 24}, TMaskEdit::Kind::Date);
    ADate->setToolTip(U("Дата мероприятия: День.Месяц.Год"));
    Button5 = MakeButton(Panel4, "Button5", {192, 58, 28, 24}, "...", "Открыть календарь");
    Make<TLabel>(Panel4, "Label4", {250, 60, 60, 20}, U("Время"));
    ATime = Make<TMaskEdit>(Panel4, "ATime", {312, 58, 64, 24}, TMaskEdit::Kind::Time);
    ATime->setToolTip(U("Время события: Часы.Минуты"));
    SpinButton1 = Make<TSpinButton>(Panel4, "SpinButton1", {378, 58, 18, 24});
    CheckBox1 = Make<QCheckBox>(Panel4, "CheckBox1", {90, 88, 150, 20}, U("Предупреждать"));
    CheckBox1->setToolTip(U("Предупреждать о мероприятии"));
    CheckBox2 = Make<QCheckBox>(Panel4, "CheckBox2", {250, 88, 150, 20}, U("Выполнено"));
    Make<TLabel>(Panel4, "Label5", {8, 114, 80, 20}, U("Описание"));
    AMemo = Make<TMemo>(Panel4, "AMemo", {8, 134, 502, 192});
    AMemo->setToolTip(U("Описание события"));
    Button8 = MakeButton(Panel4, "Button8", {4, 332, 164, 24}, "Отмена", "Закрыть, не внося изменений");
    Button7 = MakeButton(Panel4, "Button7", {175, 332, 164, 24}, "Очистить", "Очистить поля ввода");
    Button6 = MakeButton(Panel4, "Button6", {346, 332, 164, 24}, "Сохранить", "Внести изменения");
    Panel4->hide();

    connect(Button5, &QPushButton::clicked, this, &TCalendarForm::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TCalendarForm::AddORedit);
    connect(Button7, &QPushButton::clicked, this, &TCalendarForm::Clear);
    connect(Button8, &QPushButton::clicked, Panel4, &QWidget::hide);
    connect(SpinButton1, &TSpinButton::upClicked, this, [this] { UpdateTime(+1); });
    connect(SpinButton1, &TSpinButton::downClicked, this, [this] { UpdateTime(-1); });
}

void TCalendarForm::BuildPanels() {
    Panel6 = new TAllRecordsPanel(planner_, this);
    Panel8 = new TSearchPanel(planner_, this);
    Panel7 = new TReminderPanel(planner_, this);
    for (QWidget* panel : Panels()) {
        panel->setGeometry(rect());
        panel->installEventFilter(this);
    }
    ListBox1->setFocus();
    connect(AllRecordButton, &QPushButton::clicked, Panel6, &TAllRecordsPanel::AllRecordButtonClick);
    connect(Panel6, &TAllRecordsPanel::showingAll, this, &TCalendarForm::Clear);
    connect(Panel6, &TAllRecordsPanel::jumpTo, this, &TCalendarForm::JumpToEvent);
    connect(Panel6, &TAllRecordsPanel::closedPanel, this, &TCalendarForm::UpDateList);
    connect(Button4, &QPushButton::clicked, Panel8, &TSearchPanel::Open);
    connect(N3, &QAction::triggered, Panel8, &TSearchPanel::Open);
    connect(Panel8, &TSearchPanel::jumpTo, this, &TCalendarForm::JumpToEvent);
    connect(Panel7, &TReminderPanel::jumpTo, this, &TCalendarForm::JumpToEvent);
    connect(Panel7, &TReminderPanel::postponed, this, &TCalendarForm::Postponed);
    connect(Panel7, &TReminderPanel::dismissed, this, &TCalendarForm::Dismissed);
}

std::array<QWidget*, 4> TCalendarForm::Panels() const { return {Panel4, Panel6, Panel7, Panel8}; }

bool TCalendarForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
        bool covered = false;
        for (QWidget* panel : Panels()) covered = covered || !panel->isHidden();
        mainView_->setVisible(!covered);
    }
    return TSectionWindow::eventFilter(watched, event);
}

// ---- Life cycle ----

void TCalendarForm::ReInit() {
    binding_.ApplyColours([this] {
        AName->SetItems(SettingsRecord.EventNames);
        LoadAlarm();
    });
}

void TCalendarForm::FormClose() {
    // The list stays until the window is destroyed: a shutdown that fails in a later section
    // and runs again saves it again.
    planner_.SaveCalendarList();
    Modified = planner_.Modified;
}

void TCalendarForm::LoadAlarm() {
    const std::string path = AlarmSoundPath(SettingsRecord.AlarmSound);
    if (FileExists(path)) LoadAlarmFile(path, alarmBuffer_);
}

// ---- Main view ----

DateTime TCalendarForm::SelectedDay() const { return FromQDate(Calendar1->SelectedDate()); }

void TCalendarForm::SetSelectedDay(DateTime day) {
    const QDate date = ToQDate(day);
    if (date.isValid()) Calendar1->SetSelectedDate(date);
}

EventRef TCalendarForm::SelectedEvent() const {
    const int row = ListBox1->currentRow();
    if (row < 0) return {};
    const EventRef ref = dayLines_.At(ListBox1->Object(row));
    return planner_.Events.Find(ref) ? ref : EventRef{};
}

void TCalendarForm::Calendar1Click() {
    Clear();
    Text2->setText(ToQt(LongDayText(SelectedDay())));
    UpDateList();
}

void TCalendarForm::NextMonth() {
    SetSelectedDay(StepMonth(SelectedDay(), 1));
    Calendar1Click();
}

void TCalendarForm::PrewMonth() {
    SetSelectedDay(StepMonth(SelectedDay(), -1));
    Calendar1Click();
}

void TCalendarForm::NowDate() {
    SetSelectedDay(Today());
    Calendar1Click();
}

void TCalendarForm::JumpToEvent(EventRef ref) {
    const Tevent* event = planner_.Events.Find(ref);
    DateTime day;
    if (!event || !WholeDay(event->Date, day)) return;
    SetSelectedDay(day);
    Calendar1Click();
}

void TCalendarForm::UpDateList() {
    const std::vector<EventLine> lines = DayLines(planner_.Events, SelectedDay());
    ListBox1->setUpdatesEnabled(false);
    const QSignalBlocker quiet(ListBox1);  // emptying the list is no selection of a line
    ListBox1->clear();
    dayLines_.Clear();
    for (const EventLine& line : lines) ListBox1->AddItem(ToQt(line.Text), dayLines_.Keep(line.Event));
    ListBox1->setCurrentRow(-1);
    ListBox1->setUpdatesEnabled(true);
}

void TCalendarForm::DrawDayLine(QPainter& painter, const QRect& rect, int row, bool selected) {
    const QPalette& palette = ListBox1->palette();
    painter.fillRect(rect, selected ? palette.highlight() : palette.base());
    const Tevent* event = planner_.Events.Find(dayLines_.At(ListBox1->Object(row)));
    if (!event) return;
    QColor text = event->Done == 1 ? ToQColor(SettingsRecord.DoneEventColor)
                                   : ToQColor(SettingsRecord.EditTextColor);
    if (selected) text = palette.color(QPalette::HighlightedText);
    if (event->Remind == 1) painter.drawPixmap(rect.left() + 3, rect.top() + 3, ReminderMark());
    painter.setPen(text);
    painter.drawText(QRect(rect.left() + 18, rect.top(), rect.width() - 18, rect.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ListBox1->item(row)->text());
}

void TCalendarForm::Show(EventRef ref) {
    const Tevent* event = planner_.Events.Find(ref);
    if (!event) return;
    AName->SetText(event->Name);
    Text1->setText(ToQt(event->Name));
    ATime->SetText(TimeToText(event->Time));
    ADate->SetText(DateToText(event->Date));
    // Only a stored 1 is a running reminder: an edit must not start one that was not.
    CheckBox1->setChecked(event->Remind == 1);
    CheckBox2->setChecked(event->Done == 1);
    AMemo->SetLines(event->Memo);
    Label1->setText(ToQt(MemoText(event->Memo)));
}

void TCalendarForm::Clear() {
    AName->SetText(std::string());
    Text1->clear();
    Label1->clear();
    AMemo->clear();
    ADate->Clear();
    ATime->Clear();
}

void TCalendarForm::ImportSpecialDates() {
    if (!SettingsRecord.HighlightPlannedDays) return;
    QSet<QDate> days;
    for (DateTime day : PlannedDays(planner_.Events)) days.insert(ToQDate(day));
    Calendar1->SetMarkedDays(std::move(days));
}

// ---- Editor ----

void TCalendarForm::Add() {
    Clear();
    AddMode = true;
    editorEvent_ = {};
    PresetPicker(SelectedDay());
    CheckBox1->setChecked(true);
    CheckBox2->setChecked(false);
    ATime->SetText(TimeToText(Now()));
    ADate->SetText(DateToText(SelectedDay()));
    Panel4->show();
    Panel4->raise();
    AName->setFocus();
}

void TCalendarForm::Edit() {
    const EventRef ref = SelectedEvent();
    if (ref.Id == 0) return;
    // Filled from the event itself: the fields may still hold an abandoned Add's preset.
    Show(ref);
    editorEvent_ = ref;
    AddMode = false;
    Panel4->show();
    Panel4->raise();
    AName->setFocus();
}

void TCalendarForm::AddORedit() {
    if (!AddMode && editorEvent_.Id == 0) {  // nothing was loaded: nothing to change
        Panel4->hide();
        return;
    }
    EventFields fields;
    fields.Name = AName->Text();
    fields.Memo = AMemo->Lines();
    fields.Date = TextToDate(ADate->Text());
    fields.Time = TextToTime(ATime->Text());
    fields.Remind = CheckBox1->isChecked();
    fields.Done = CheckBox2->isChecked();
    // The event loaded at Edit, wherever it is now; deleted meanwhile, what was typed is kept
    // as a new event.
    if (AddMode || !planner_.EditEvent(editorEvent_, fields)) planner_.AddEvent(fields);
    editorEvent_ = {};
    Modified = true;
    UpDateList();
    ImportSpecialDates();
    Clear();
    Panel4->hide();
}

void TCalendarForm::Delete() {
    const EventRef ref = SelectedEvent();
    if (ref.Id == 0) return;
    if (SettingsRecord.ConfirmDelete && !AskYesNo(kDeleteQuestion)) return;
    if (!planner_.DeleteEvent(ref)) return;
    if (editorEvent_.Id == ref.Id) editorEvent_ = {};
    Clear();
    Modified = true;
    ImportSpecialDates();
    UpDateList();
}

void TCalendarForm::Button5Click() {
    TCalendarDialog* picker = TCalendarDialog::Instance();
    if (!picker) return;
    picker->SetPickedDay(SelectedDay());
    if (picker->Run()) ADate->SetText(DateToText(picker->PickedDay()));
}

void TCalendarForm::UpdateTime(int step) {
    const TimeStep stepped = pomix::UpdateTime(ATime->Text(), ATime->cursorPosition(), step);
    ATime->SetText(stepped.Text);
    ATime->setSelection(stepped.Caret, 2);
}

// ---- Reminders ----

void TCalendarForm::Timer1Timer() {
    const TProgramState& program = TProgramState::Instance();
    // The panel's own visibility: the window itself is hidden while another section shows.
    if (!Panel7->isHidden() || SettingsRecord.ReminderLead == 0) return;
    // Nothing over a question or a picker, nothing before the password, nothing once the
    // program is closing.
    if (ModalShowing() || program.IsPasswordPending() || program.IsShutdownBegun()) return;
    Timer1->stop();
    DueEvents(planner_.Events, Now(), SettingsRecord.ReminderLead, due_);
    const std::vector<EventLine> lines = ReminderLines(planner_.Events, due_);
    if (Panel7->Fill(lines) > 0) {
        if (!SettingsRecord.AlarmSound.empty()) PlayAlarm(alarmBuffer_);
        Panel7->show();
        Panel7->raise();
        NotifyDue(lines);
        BringProgramForward();
    }
    Timer1->start();
}

void TCalendarForm::NotifyDue(const std::vector<EventLine>& due) {
    QStringList names;
    for (const EventLine& line : due) {
        if (names.size() == kNotifiedLines) {
            names << U("… и ещё %1").arg(due.size() - kNotifiedLines);
            break;
        }
        const Tevent* event = planner_.Events.Find(line.Event);
        if (event) names << ToQt(TimeToText(event->Time) + " " + event->Name);
    }
    Notify(U("Pomix: напоминание"), names.join(QLatin1Char('\n')));
}

void TCalendarForm::Postponed(EventRef ref) {
    // The editor shows the new day, so that saving it later does not undo the move.
    if (ref.Id == editorEvent_.Id) {
        if (const Tevent* event = planner_.Events.Find(ref)) ADate->SetText(DateToText(event->Date));
    }
    Modified = true;
    ImportSpecialDates();
    UpDateList();
}

void TCalendarForm::Dismissed(EventRef ref) {
    if (ref.Id == editorEvent_.Id) CheckBox1->setChecked(false);
    Modified = true;
}

}  // namespace pomix
