// TCalendarDialog: the one date picker of the program. Callers preset the picked day, run it
// modally (Run) and take the day only when PickerAccepted is true.
#pragma once

#include <QDialog>
#include <array>

#include "storage/dates.h"
#include "kit/controls.h"
#include "kit/form_binding.h"
#include "kit/form_parts.h"
#include "kit/month_grid.h"

namespace pomix {

// The result of the last run: false at start, false after "Отмена" (or any other close),
// true after "Да".
extern bool PickerAccepted;

class TCalendarDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 263;
    static constexpr int kHeight = 181;

    explicit TCalendarDialog(QWidget* parent = nullptr);
    ~TCalendarDialog() override;

    // The instance created at start-up, after the main window; null before and after.
    static TCalendarDialog* Instance();

    DateTime PickedDay() const;
    void SetPickedDay(DateTime day);
    // Shows the dialog modally; returns PickerAccepted.
    bool Run();

    void Cancel();     // "Отмена"
    void ShowToday();  // "Сегодня"
    void Accept();     // "Да"

    TMonthGrid* monthGrid;               // Calendar1
    TButton* cancelButton;               // Button1
    TButton* todayButton;                // Button2
    TButton* acceptButton;               // Button3

    TFormBinding& Binding() { return binding_; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;  // Escape and the window manager's close count as "Отмена"

private:
    void ReInit();
    TFormBinding binding_;
    std::array<TText*, 4> stepTexts_{};
};

}  // namespace pomix
