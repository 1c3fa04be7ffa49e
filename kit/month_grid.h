// A month grid: a header with the month and the year, each with its own pair of step buttons
// (or, where a window steps the months itself, none), a row of day names, and six weeks of
// days starting on Monday. One day is selected; a click, a key or a step button selects
// another, and every such change is reported as dayClicked. A set of days can be marked (the
// planner's planned days): their numbers are drawn in the Marked colour in a lowered frame.
#pragma once

#include <QColor>
#include <QDate>
#include <QSet>
#include <QWidget>
#include <array>

class QPainter;

namespace pomix {

class TMonthGrid : public QWidget {
    Q_OBJECT
public:
    struct Colours {
        QColor Background{Qt::white};
        QColor Header{0x80, 0x80, 0x80};
        QColor HeaderText{Qt::white};
        QColor Selected{0x80, 0x80, 0x80};
        QColor CellFrame{0xC0, 0xC0, 0xC0};
        QColor DayText{Qt::black};
        QColor Marked{0xC0, 0x00, 0x00};     // text of a marked day
        QColor MarkFrame{0x80, 0x80, 0x80};  // its lowered frame
    };

    explicit TMonthGrid(QWidget* parent = nullptr);

    QDate SelectedDate() const { return selected_; }
    // Selects the day and shows its month; an invalid date is ignored.
    void SetSelectedDate(const QDate& date);
    void SetMarkedDays(QSet<QDate> days);
    bool IsMarked(const QDate& day) const { return marked_.contains(day); }
    void SetMarkingShown(bool shown);
    // Without step buttons the header shows the month and the year only, and the months are
    // stepped from outside (StepMonths, SetSelectedDate).
    void SetStepButtonsShown(bool shown);
    bool StepButtonsShown() const { return stepButtons_; }
    // What a screen reader says of a marked day besides its date.
    QString MarkedDayText = QString::fromUtf8("есть события");
    // What a screen reader calls the step buttons, in StepButtonRect's order.
    std::array<QString, 4> StepButtonNames{
        QString::fromUtf8("Предыдущий месяц"), QString::fromUtf8("Следующий месяц"),
        QString::fromUtf8("Предыдущий год"), QString::fromUtf8("Следующий год")};
    void SetColours(const Colours& colours);
    const Colours& GetColours() const { return colours_; }

    // Steps: months (-1, +1) or years (-12, +12); the day is lowered to the target month's
    // length ("31 January" one month on is "28/29 February").
    void StepMonths(int months);

    // The day in a cell of the six weeks shown: cell 0 is the Monday the first row begins with.
    QDate ShownDay(int cell) const { return FirstShownDay().addDays(cell); }
    static constexpr int kWeeks = 6;
    static constexpr int kDays = 7;
    // What the header shows: the month's name and the year.
    QString MonthCaption() const;

    // The day drawn at a point, or an invalid date outside the day cells (tests click with it).
    QDate DayAt(const QPoint& point) const;
    QRect DayRect(const QDate& day) const;
    // The four header step buttons: 0 month back, 1 month on, 2 year back, 3 year on.
    QRect StepButtonRect(int button) const;
    // What a click on a step button does (also the screen reader's press); nothing when the
    // buttons are not shown.
    void PressStepButton(int button);

signals:
    // The selected day changed (by a click, a step or SetSelectedDate).
    void selectionChanged(const QDate& day);
    // The user chose a day: a click on a day cell, a key or a step button (not a change made
    // by SetSelectedDate or StepMonths from code).
    void dayClicked(const QDate& day);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QDate FirstShownDay() const;
    int HeaderHeight() const;
    int NamesHeight() const;
    QRect CellRect(int row, int column) const;
    void DrawHeader(QPainter& p);
    // The selected day moved by months, lowered to the target month's length; invalid
    // outside the years 1..9999.
    QDate MonthsOn(int months) const;
    // A change the user made: selects and reports it when the day is another one.
    void Choose(const QDate& day);
    // Tells assistive technology which day cell is selected (and focused, with the focus).
    void TellSelection(bool otherMonth);

    QDate selected_;
    QSet<QDate> marked_;
    bool markingShown_ = true;
    bool stepButtons_ = true;
    Colours colours_;
};

}  // namespace pomix
