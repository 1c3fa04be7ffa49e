#include "windows/planner/calendar_dialog.h"

#include <QScreen>
#include <QShowEvent>

#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "kit/convert.h"
#include "kit/program_state.h"
#include "kit/recolour.h"

namespace pomix {

bool PickerAccepted = false;

namespace {
TCalendarDialog* instance = nullptr;
}

TCalendarDialog::TCalendarDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      binding_(this, kRecolourDatePicker, "CalendarDialog",
               ExpandItems({"Calendar1.Hint", "Button1-3.Caption,Hint", "MonthBackText.Caption",
                            "MonthOnText.Caption", "YearBackText.Caption", "YearOnText.Caption"})) {
    setObjectName("CalendarDialog");
    setModal(true);
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);

    constexpr int kBar = 28;
    monthGrid = Make<TMonthGrid>(this, "Calendar1", {0, 0, kWidth, kHeight - kBar});
    monthGrid->setToolTip(QString());
    auto* bar = Make<TPanel>(this, "Panel1", {0, kHeight - kBar, kWidth, kBar});
    const int w = (kWidth - 16) / 3;
    cancelButton = Make<TButton>(bar, "Button1", {4, 3, w, kBar - 6}, QString::fromUtf8("Отмена"));
    todayButton = Make<TButton>(bar, "Button2", {8 + w, 3, w, kBar - 6}, QString::fromUtf8("Сегодня"));
    acceptButton = Make<TButton>(bar, "Button3", {12 + 2 * w, 3, w, kBar - 6}, QString::fromUtf8("Да"));
    cancelButton->setToolTip(QString::fromUtf8("Отмена"));
    todayButton->setToolTip(QString::fromUtf8("Переход на сегодняшнее число"));
    acceptButton->setToolTip(QString::fromUtf8("Внести изменения"));
    acceptButton->setDefault(true);

    connect(cancelButton, &QPushButton::clicked, this, &TCalendarDialog::Cancel);
    connect(todayButton, &QPushButton::clicked, this, &TCalendarDialog::ShowToday);
    connect(acceptButton, &QPushButton::clicked, this, &TCalendarDialog::Accept);

    // What a screen reader calls the grid's painted step buttons.
    const char* const stepNames[4][2] = {{"MonthBackText", "Предыдущий месяц"},
                                         {"MonthOnText", "Следующий месяц"},
                                         {"YearBackText", "Предыдущий год"},
                                         {"YearOnText", "Следующий год"}};
    for (std::size_t b = 0; b < stepTexts_.size(); ++b)
        stepTexts_[b] = new TText(this, stepNames[b][0], stepNames[b][1]);

    binding_.BindDictionary();
    PickerAccepted = false;
    instance = this;
}

TCalendarDialog::~TCalendarDialog() {
    binding_.WriteDictionary();
    if (instance == this) instance = nullptr;
}

TCalendarDialog* TCalendarDialog::Instance() {
    return instance;
}

DateTime TCalendarDialog::PickedDay() const {
    return FromQDate(monthGrid->SelectedDate());
}

void TCalendarDialog::SetPickedDay(DateTime day) {
    monthGrid->SetSelectedDate(ToQDate(day));
}

bool TCalendarDialog::Run() {
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    const ModalScope modal;
    exec();
    return PickerAccepted;
}

void TCalendarDialog::Cancel() {
    PickerAccepted = false;
    done(QDialog::Rejected);
}

void TCalendarDialog::ShowToday() {
    SetPickedDay(Today());
}

void TCalendarDialog::Accept() {
    PickerAccepted = true;
    done(QDialog::Accepted);
}

void TCalendarDialog::reject() {
    Cancel();
}

void TCalendarDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    binding_.ReadDictionary();
    ReInit();
}

void TCalendarDialog::ReInit() {
    // The dictionary has just been read.
    for (std::size_t b = 0; b < stepTexts_.size(); ++b)
        monthGrid->StepButtonNames[b] = stepTexts_[b]->Text;
    binding_.ApplyColours();
}

}  // namespace pomix
