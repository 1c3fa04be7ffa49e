#include "windows/planner/calendar_form.h"

#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <cmath>
#include <ctime>

#include "core/exchange/icalendar.h"
#include "core/exchange/records_csv.h"
#include "core/media/alarm_wave.h"
#include "windows/planner/calendar_dialog.h"
#include "core/planner/calendar_format.h"
#include "core/planner/day_rules.h"
#include "core/planner/reminders.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/atomic_file.h"
#include "storage/report.h"
#include "kit/alarm_sound.h"
#include "kit/accessibility.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/exchange_dialogs.h"
#include "kit/form_parts.h"
#include "kit/message.h"
#include "kit/notifier.h"
#include "kit/panel_cover.h"
#include "kit/program_state.h"

namespace pomix {
namespace {

constexpr int kNotifiedLines = 8;  // a notification names at most this many events

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
                       "PrewMonthButton.Caption,Hint", "N1-6.Caption", "Button5.Hint", "Button6-8.Caption,Hint",
                       "AName.Hint", "ADate.Hint", "ATime.Hint", "AMemo.Hint", "CheckBox1.Hint", "CheckBox2.Hint",
                       "ListBox1.Hint", "Text7.Caption", "StaticButton1-2.Caption,Hint", "ListBox4.Hint",
                       "Label6.Caption", "RadioButton1-5.Caption,Hint", "Button12-15.Caption,Hint",
                       "Text8.Caption", "StaticButton3.Caption,Hint", "StaticButton4.Caption",
                       "StaticButton5.Caption,Hint", "ListBox2.Hint", "Label7.Caption", "Label8.Caption",
                       "Button16.Caption,Hint", "Button17.Hint", "Button18.Hint", "CheckBox1.Caption",
                       "CheckBox2.Caption", "Text3.Caption", "Label2-5.Caption", "Text4-6.Caption",
                       "ListBox3.Hint", "Button9-11.Caption,Hint", "NoticeTitleText.Caption",
                       "NoticeMoreText.Caption", "MarkedDayText.Caption", "UpButton.AccessibleName",
                       "DownButton.AccessibleName", "MaskEdit3-4.Hint", "PopupMenu1.AccessibleName"}),
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
    binding_.BindDictionary();
    LoadAlarm();
    NowDate();

    noticeTitleText = new TText(this, "NoticeTitleText", "Pomix: напоминание");
    noticeMoreText = new TText(this, "NoticeMoreText", "… и ещё %1");
    markedDayText = new TText(this, "MarkedDayText", "есть события");
    reminderTimer = new QTimer(this);
    reminderTimer->setObjectName("Timer1");
    reminderTimer->setInterval(kReminderInterval);
    connect(reminderTimer, &QTimer::timeout, this, &TCalendarForm::CheckReminders);
    connect(&TProgramState::Instance(), &TProgramState::shutdownDone, reminderTimer, &QTimer::stop);
    FollowEditor(editorPanel);
    planner_.Listen([this](SectionModel::Change change) { FollowModel(change); });
    // The reminder check starts once the events are in: it never sees a list half read.
    LoadData();
}

EarlyRead TCalendarForm::EarlyReadIn(const std::string& dataDir) {
    return Planner::EarlyReadIn(dataDir);
}

std::optional<LoadWork> TCalendarForm::MakeLoad() {
    std::optional<SectionModel::Load> load = planner_.MakeLoad();
    return LoadWork{std::move(load->read),
                    [this, take = std::move(load->take)] {
                        take();  // the view follows the model
                        reminderTimer->start();
                        // Read at start-up, the events due are shown as soon as they are in.
                        if (LoadedLater()) CheckReminders();
                    }};
}

void TCalendarForm::BuildMainView() {
    // The main view's controls share one parent, hidden while a panel covers them.
    QWidget* view = mainView_ = Make<QWidget>(this, "MainView", rect());
    prevMonthButton = MakeButton(view, "PrewMonthButton", {4, 4, 30, 22}, "<<", "Перейти на месяц назад");
    todayButton =
        MakeButton(view, "NowDateButton", {36, 4, 84, 22}, "Сегодня", "Перевод календаря на сегоднешнее число");
    allRecordsButton = MakeButton(view, "AllRecordButton", {122, 4, 96, 22}, "Все записи",
                                 "Показать записи в заданном интервале");
    nextMonthButton = MakeButton(view, "NextMonthButton", {220, 4, 30, 22}, ">>", "Перейти на месяц вперед");
    monthGrid = Make<TMonthGrid>(view, "Calendar1", {4, 28, 246, 176});
    monthGrid->SetStepButtonsShown(false);
    eventTitle = Make<TStaticButton>(view, "Text1", {4, 208, 246, 20}, QString());
    eventTitle->setToolTip(U("Название события"));

    // A long description scrolls.
    auto* scroll = Make<QScrollArea>(view, "ScrollBox1", {4, 230, 246, 96});
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    eventMemo = new TLabel(QString(), scroll);
    eventMemo->setObjectName("Label1");
    eventMemo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    eventMemo->setWordWrap(true);
    eventMemo->setAutoFillBackground(true);
    scroll->setWidget(eventMemo);

    dayTitle = Make<TStaticButton>(view, "Text2", {254, 4, 256, 22}, QString());
    dayList = Make<TOwnerDrawListBox>(view, "ListBox1", {254, 28, 256, 298});
    dayList->setToolTip(
        U("Список событий на текущий день, двойной клик переход в режим редактирования"));
    dayList->SetItemHeight(kLineHeight);
    dayList->SetDrawItem([this](QPainter& painter, const QRect& rect, int row, bool selected) {
        DrawDayLine(painter, rect, row, selected);
    });

    searchButton = MakeButton(view, "Button4", {4, 332, 122, 24}, "Поиск", "Поиск по записям");
    editButton = MakeButton(view, "Button3", {130, 332, 124, 24}, "Редактировать", "Редактировать текущее событие");
    addButton = MakeButton(view, "Button2", {258, 332, 124, 24}, "Добавить", "Добавить новое событие");
    deleteButton = MakeButton(view, "Button1", {386, 332, 124, 24}, "Удалить", "Удалить текущее событие");

    dayMenu = MakePopupMenu(this, "PopupMenu1", dayList, "Меню событий");
    editAction = AddMenuItem(dayMenu, "N1", "Редактировать");
    addAction = AddMenuItem(dayMenu, "N2", "Добавить");
    searchAction = AddMenuItem(dayMenu, "N3", "Поиск");
    deleteAction = AddMenuItem(dayMenu, "N4", "Удалить");
    importAction = AddMenuItem(dayMenu, "N5", "Импорт…", this, &TCalendarForm::ChooseImport);
    exportAction = AddMenuItem(dayMenu, "N6", "Экспорт…", this, &TCalendarForm::ExportEvents);
    AcceptDroppedFiles(this, [this](const std::string& path) { ImportEvents(path); });

    connect(monthGrid, &TMonthGrid::dayClicked, this, &TCalendarForm::ShowDay);
    connect(prevMonthButton, &QPushButton::clicked, this, &TCalendarForm::PrewMonth);
    connect(nextMonthButton, &QPushButton::clicked, this, &TCalendarForm::NextMonth);
    connect(todayButton, &QPushButton::clicked, this, &TCalendarForm::NowDate);
    connect(dayList, &QListWidget::currentRowChanged, this, [this] {
        if (const EventRef ref = SelectedEvent(); ref.Id != 0) Show(ref);
    });
    connect(dayList, &QListWidget::itemDoubleClicked, this, &TCalendarForm::Edit);
    ActivateOnEnter(dayList);
    connect(deleteButton, &QPushButton::clicked, this, &TCalendarForm::Delete);
    connect(addButton, &QPushButton::clicked, this, &TCalendarForm::Add);
    connect(editButton, &QPushButton::clicked, this, &TCalendarForm::Edit);
    connect(editAction, &QAction::triggered, this, &TCalendarForm::Edit);
    connect(addAction, &QAction::triggered, this, &TCalendarForm::Add);
    connect(deleteAction, &QAction::triggered, this, &TCalendarForm::Delete);
}

void TCalendarForm::BuildEditor() {
    editorPanel = Make<TPanel>(this, "Panel4", rect());
    Make<TStaticButton>(editorPanel, "Text3", {4, 4, 506, 20}, U("Добавить - Редактировать событие"));
    Make<TLabel>(editorPanel, "Label3", {8, 32, 80, 20}, U("Название"));
    titleBox = Make<TComboBox>(editorPanel, "AName", {90, 30, 420, 24});
    titleBox->SetEditable(true);
    titleBox->setToolTip(U("Название события"));
    Make<TLabel>(editorPanel, "Label2", {8, 60, 80, 20}, U("Дата"));
    dateEdit = Make<TMaskEdit>(editorPanel, "ADate", {90, 58, 100, 24}, TMaskEdit::Kind::Date);
    dateEdit->setToolTip(U("Дата мероприятия: День.Месяц.Год"));
    pickDateButton = MakeButton(editorPanel, "Button5", {192, 58, 28, 24}, "...", "Открыть календарь");
    Make<TLabel>(editorPanel, "Label4", {250, 60, 60, 20}, U("Время"));
    timeEdit = Make<TMaskEdit>(editorPanel, "ATime", {312, 58, 64, 24}, TMaskEdit::Kind::Time);
    timeEdit->setToolTip(U("Время события: Часы.Минуты"));
    timeSpin = Make<TSpinButton>(editorPanel, "SpinButton1", {378, 58, 18, 24});
    timeSpin->UpButton()->setAccessibleName(U("Время: позже"));
    timeSpin->DownButton()->setAccessibleName(U("Время: раньше"));
    remindBox = Make<QCheckBox>(editorPanel, "CheckBox1", {90, 88, 150, 20}, U("Предупреждать"));
    remindBox->setToolTip(U("Предупреждать о мероприятии"));
    doneBox = Make<QCheckBox>(editorPanel, "CheckBox2", {250, 88, 150, 20}, U("Выполнено"));
    Make<TLabel>(editorPanel, "Label5", {8, 114, 80, 20}, U("Описание"));
    memoEdit = Make<TMemo>(editorPanel, "AMemo", {8, 134, 502, 192});
    memoEdit->setToolTip(U("Описание события"));
    cancelButton = MakeButton(editorPanel, "Button8", {4, 332, 164, 24}, "Отмена", "Закрыть, не внося изменений");
    clearButton = MakeButton(editorPanel, "Button7", {175, 332, 164, 24}, "Очистить", "Очистить поля ввода");
    saveButton = MakeButton(editorPanel, "Button6", {346, 332, 164, 24}, "Сохранить", "Внести изменения");
    editorPanel->hide();
    SetReadingTabOrder(editorPanel);

    connect(pickDateButton, &QPushButton::clicked, this, &TCalendarForm::PickEditorDate);
    connect(saveButton, &QPushButton::clicked, this, &TCalendarForm::AddORedit);
    connect(clearButton, &QPushButton::clicked, this, &TCalendarForm::Clear);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        editorPanel->hide();
        FocusLine(dayList, dayList->currentRow());
    });
    connect(timeSpin, &TSpinButton::upClicked, this, [this] { UpdateTime(+1); });
    connect(timeSpin, &TSpinButton::downClicked, this, [this] { UpdateTime(-1); });
}

void TCalendarForm::BuildPanels() {
    allRecordsPanel = new TAllRecordsPanel(planner_, this);
    searchPanel = new TSearchPanel(planner_, this);
    reminderPanel = new TReminderPanel(planner_, this);
    // A panel over the main view hides it: hidden controls neither take the focus nor show in
    // the accessibility tree, and the editor keeps the event it was opened on.
    for (QWidget* panel : Panels()) {
        panel->setGeometry(rect());
        CoverWhileShown(panel, {mainView_}, CoverKind::Hide);
    }
    dayList->setFocus();
    connect(allRecordsButton, &QPushButton::clicked, allRecordsPanel, &TAllRecordsPanel::ShowDefaultSpan);
    connect(allRecordsPanel, &TAllRecordsPanel::showingAll, this, &TCalendarForm::Clear);
    connect(allRecordsPanel, &TAllRecordsPanel::jumpTo, this, &TCalendarForm::JumpToEvent);
    connect(allRecordsPanel, &TAllRecordsPanel::closedPanel, this, &TCalendarForm::UpDateList);
    connect(searchButton, &QPushButton::clicked, searchPanel, &TSearchPanel::Open);
    connect(searchAction, &QAction::triggered, searchPanel, &TSearchPanel::Open);
    connect(searchPanel, &TSearchPanel::jumpTo, this, &TCalendarForm::JumpToEvent);
    connect(reminderPanel, &TReminderPanel::jumpTo, this, &TCalendarForm::JumpToEvent);
    connect(reminderPanel, &TReminderPanel::postponed, this, &TCalendarForm::Postponed);
    connect(reminderPanel, &TReminderPanel::dismissed, this, &TCalendarForm::Dismissed);
}

std::array<QWidget*, 4> TCalendarForm::Panels() const { return {editorPanel, allRecordsPanel, reminderPanel, searchPanel}; }

// ---- Life cycle ----

void TCalendarForm::ReInit() {
    // The dictionary has just been read: the grid tells a screen reader of a marked day in it.
    monthGrid->MarkedDayText = markedDayText->Text;
    binding_.ApplyColours([this] {
        titleBox->SetItems(SettingsRecord.EventNames);
        LoadAlarm();
    });
}

void TCalendarForm::FormClose() {
    // The list stays until the window is destroyed: a shutdown that fails in a later section
    // and runs again saves it again.
    planner_.SaveCalendarList();
    Modified = planner_.Modified();
}


void TCalendarForm::LoadAlarm() {
    const std::string path = AlarmSoundPath(SettingsRecord.AlarmSound);
    if (FileExists(path)) LoadAlarmFile(path, alarmBuffer_);
}

// ---- Main view ----

DateTime TCalendarForm::SelectedDay() const { return FromQDate(monthGrid->SelectedDate()); }

void TCalendarForm::SetSelectedDay(DateTime day) {
    const QDate date = ToQDate(day);
    if (date.isValid()) monthGrid->SetSelectedDate(date);
}

EventRef TCalendarForm::SelectedEvent() const {
    const int row = dayList->currentRow();
    if (row < 0) return {};
    const EventRef ref = dayLines_.At(dayList->Object(row));
    return planner_.Events.Find(ref) ? ref : EventRef{};
}

void TCalendarForm::ShowDay() {
    Clear();
    dayTitle->SetElidedText(ToQt(LongDayText(SelectedDay())));
    // The list is read out by the day it shows.
    dayList->setAccessibleName(dayTitle->FullText());
    UpDateList();
}

void TCalendarForm::NextMonth() {
    SetSelectedDay(StepMonth(SelectedDay(), 1));
    ShowDay();
}

void TCalendarForm::PrewMonth() {
    SetSelectedDay(StepMonth(SelectedDay(), -1));
    ShowDay();
}

void TCalendarForm::NowDate() {
    SetSelectedDay(Today());
    ShowDay();
}

void TCalendarForm::JumpToEvent(EventRef ref) {
    const Event* event = planner_.Events.Find(ref);
    DateTime day;
    if (!event || !WholeDay(event->Date, day)) return;
    SetSelectedDay(day);
    ShowDay();
    FocusEvent(ref);
}

void TCalendarForm::FocusEvent(EventRef ref) {
    int row = -1;
    for (int line = 0; line < dayList->count() && row < 0; ++line) {
        if (dayLines_.At(dayList->Object(line)).Id == ref.Id) row = line;
    }
    FocusLine(dayList, row);
}

void TCalendarForm::UpDateList() {
    const std::vector<EventLine> lines = DayLines(planner_.Events, SelectedDay());
    dayList->setUpdatesEnabled(false);
    const QSignalBlocker quiet(dayList);  // emptying the list is no selection of a line
    dayList->clear();
    dayLines_.Clear();
    for (const EventLine& line : lines) dayList->AddItem(ToQt(line.Text), dayLines_.Keep(line.Event));
    dayList->setCurrentRow(-1);
    dayList->setUpdatesEnabled(true);
}

void TCalendarForm::DrawDayLine(QPainter& painter, const QRect& rect, int row, bool selected) {
    const QPalette& palette = dayList->palette();
    painter.fillRect(rect, selected ? palette.highlight() : palette.base());
    const Event* event = planner_.Events.Find(dayLines_.At(dayList->Object(row)));
    if (!event) return;
    QColor text = event->Done == 1 ? ToQColor(SettingsRecord.DoneEventColor)
                                   : ToQColor(SettingsRecord.EditTextColor);
    if (selected) text = palette.color(QPalette::HighlightedText);
    if (event->Remind == 1) painter.drawPixmap(rect.left() + 3, rect.top() + 3, ReminderMark());
    painter.setPen(text);
    painter.drawText(QRect(rect.left() + 18, rect.top(), rect.width() - 18, rect.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, dayList->item(row)->text());
}

void TCalendarForm::Show(EventRef ref) {
    const Event* event = planner_.Events.Find(ref);
    if (!event) return;
    titleBox->SetText(event->Name);
    eventTitle->SetElidedText(ToQt(event->Name));
    timeEdit->SetText(TimeToText(event->Time));
    dateEdit->SetText(DateToText(event->Date));
    // Only a stored 1 is a running reminder: an edit must not start one that was not.
    remindBox->setChecked(event->Remind == 1);
    doneBox->setChecked(event->Done == 1);
    memoEdit->SetLines(event->Memo);
    eventMemo->setText(ToQt(MemoText(event->Memo)));
}

void TCalendarForm::Clear() {
    titleBox->SetText(std::string());
    eventTitle->SetElidedText(QString());
    eventMemo->clear();
    memoEdit->clear();
    dateEdit->Clear();
    timeEdit->Clear();
}

void TCalendarForm::ImportSpecialDates() {
    if (!SettingsRecord.HighlightPlannedDays) return;
    QSet<QDate> days;
    for (DateTime day : PlannedDays(planner_.Events)) days.insert(ToQDate(day));
    monthGrid->SetMarkedDays(std::move(days));
}

void TCalendarForm::FollowModel(SectionModel::Change change) {
    // Records read anew (a copy put back) leave nothing for an open editor to save.
    if (change == SectionModel::Change::Loaded) editorPanel->hide();
    Modified = planner_.Modified();
    ImportSpecialDates();
    UpDateList();
}

// ---- Editor ----

void TCalendarForm::Add() {
    Clear();
    AddMode = true;
    editorEvent_ = {};
    PresetPicker(SelectedDay());
    remindBox->setChecked(true);
    doneBox->setChecked(false);
    timeEdit->SetText(TimeToText(Now()));
    dateEdit->SetText(DateToText(SelectedDay()));
    editorPanel->show();
    editorPanel->raise();
    titleBox->setFocus();
}

void TCalendarForm::Edit() {
    const EventRef ref = SelectedEvent();
    if (ref.Id == 0) return;
    // Filled from the event itself: the fields may still hold an abandoned Add's preset.
    Show(ref);
    editorEvent_ = ref;
    AddMode = false;
    editorPanel->show();
    editorPanel->raise();
    titleBox->setFocus();
}

void TCalendarForm::AddORedit() {
    if (!AddMode && editorEvent_.Id == 0) {  // nothing was loaded: nothing to change
        editorPanel->hide();
        return;
    }
    // A date or time that does not read stores nothing: after its message the editor stays
    // open with the text as typed, so that the user can mend it.
    EventFields fields;
    if (!TryTextToDate(dateEdit->Text(), fields.Date)) {
        Report(kIncorrectDateMessage);
        dateEdit->setFocus();
        return;
    }
    if (!TryTextToTime(timeEdit->Text(), fields.Time)) {
        Report(kIncorrectTimeMessage);
        timeEdit->setFocus();
        return;
    }
    fields.Name = titleBox->Text();
    fields.Memo = memoEdit->Lines();
    fields.Remind = remindBox->isChecked();
    fields.Done = doneBox->isChecked();
    // The event loaded at Edit, wherever it is now; deleted meanwhile, what was typed is kept
    // as a new event.
    EventRef saved = editorEvent_;
    if (AddMode || !planner_.EditEvent(editorEvent_, fields)) saved = planner_.AddEvent(fields);
    editorEvent_ = {};
    Modified = true;
    UpDateList();
    ImportSpecialDates();
    Clear();
    editorPanel->hide();
    // The user goes on from the event saved, when it is on the day shown.
    FocusEvent(saved);
}

void TCalendarForm::Delete() {
    const EventRef ref = SelectedEvent();
    if (ref.Id == 0) return;
    if (!DeleteConfirmed()) return;
    if (!planner_.DeleteEvent(ref)) return;
    if (editorEvent_.Id == ref.Id) editorEvent_ = {};
    const int row = dayList->currentRow();
    Clear();
    Modified = true;
    ImportSpecialDates();
    UpDateList();
    // The next line takes the deleted one's place; after the last, the one before it.
    FocusLine(dayList, std::min(row, dayList->count() - 1));
}

void TCalendarForm::ChooseImport() {
    const std::string path = ChooseImportFile(this, ExchangeFormat::Calendar);
    if (!path.empty()) ImportEvents(path);
}

void TCalendarForm::ImportEvents(const std::string& path) {
    dataio::ImportResult<Event> result;
    try {
        result = dataio::IsCsvFileName(path) ? dataio::ImportEventsCsvFile(path)
                                             : dataio::ImportCalendarFile(path);
    } catch (const std::exception& e) {
        ShowExchangeError(path, e.what());
        return;
    }
    for (const Event& event : result.Records) planner_.Events.Append(event);
    if (!result.Records.empty()) {
        planner_.MarkChanged();
        Modified = true;
        ImportSpecialDates();
        UpDateList();
    }
    ShowImportReport(path, result);
}

void TCalendarForm::ExportEvents() {
    const std::string path = ChooseExportFile(this, ExchangeFormat::Calendar);
    if (path.empty()) return;
    const int lead = SettingsRecord.ReminderLead > 0 ? SettingsRecord.ReminderLead
                                                     : dataio::kDefaultLeadMinutes;
    try {
        ReplaceFile(path, dataio::IsCsvFileName(path)
                              ? dataio::WriteEventsCsv(planner_.Events)
                              : dataio::WriteICalendar(planner_.Events, lead, std::time(nullptr)).Text);
    } catch (const std::exception& e) {
        ShowExchangeError(path, e.what());
    }
}

void TCalendarForm::PickEditorDate() {
    TCalendarDialog* picker = TCalendarDialog::Instance();
    if (!picker) return;
    picker->SetPickedDay(SelectedDay());
    if (picker->Run()) dateEdit->SetText(DateToText(picker->PickedDay()));
}

void TCalendarForm::UpdateTime(int step) {
    const TimeStep stepped = pomix::UpdateTime(timeEdit->Text(), timeEdit->cursorPosition(), step);
    timeEdit->SetText(stepped.Text);
    timeEdit->setSelection(stepped.Caret, 2);
}

// ---- Reminders ----

void TCalendarForm::CheckReminders() {
    const TProgramState& program = TProgramState::Instance();
    // The panel's own visibility: the window itself is hidden while another section shows.
    if (!reminderPanel->isHidden() || SettingsRecord.ReminderLead == 0) return;
    // Nothing over a question or a picker, nothing before the password, nothing once the
    // program is closing.
    if (ModalShowing() || program.IsPasswordPending() || program.IsShutdownBegun()) return;
    reminderTimer->stop();
    DueEvents(planner_.Events, Now(), SettingsRecord.ReminderLead, due_);
    const std::vector<EventLine> lines = ReminderLines(planner_.Events, due_);
    if (reminderPanel->Fill(lines) > 0) {
        if (!SettingsRecord.AlarmSound.empty()) PlayAlarm(alarmBuffer_);
        reminderPanel->show();
        reminderPanel->raise();
        NotifyDue(lines);
        BringProgramForward();
    }
    reminderTimer->start();
}

void TCalendarForm::NotifyDue(const std::vector<EventLine>& due) {
    QStringList names;
    for (const EventLine& line : due) {
        if (names.size() == kNotifiedLines) {
            names << noticeMoreText->Text.arg(due.size() - kNotifiedLines);
            break;
        }
        const Event* event = planner_.Events.Find(line.Event);
        if (event) names << ToQt(TimeToText(event->Time) + " " + event->Name);
    }
    Notify(noticeTitleText->Text, names.join(QLatin1Char('\n')));
}

void TCalendarForm::Postponed(EventRef ref) {
    // The editor shows the new day, so that saving it later does not undo the move.
    if (ref.Id == editorEvent_.Id) {
        if (const Event* event = planner_.Events.Find(ref))
            dateEdit->SetText(DateToText(event->Date));
    }
    Modified = true;
    ImportSpecialDates();
    UpDateList();
}

void TCalendarForm::Dismissed(EventRef ref) {
    if (ref.Id == editorEvent_.Id) remindBox->setChecked(false);
    Modified = true;
}

}  // namespace pomix
