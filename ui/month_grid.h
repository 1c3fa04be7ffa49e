// A month grid: a header with the month and the year, each with its own pair of step buttons,
// a row of day names, and six weeks of days starting on Monday. One day is selected; a click
// selects another. A set of days can be marked (the planner's planned days).
#pragma once

#include <QColor>
#include <QDate>
#include <QSet>
#include <QWidget>

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
        QColor Marked{0xFF, 0xE0, 0xA0};
    };

    explicit TMonthGrid(QWidget* parent = nullptr);

    QDate SelectedDate() const { return selected_; }
    // Selects the day and shows its month; an invalid date is ignored.
    void SetSelectedDate(const QDate& date);
    void SetMarkedDays(QSet<QDate> days);
    bool IsMarked(const QDate& day) const { return marked_.contains(day); }
    void SetMarkingShown(bool shown);
    void SetColours(const Colours& colours);
    const Colours& GetColours() const { return colours_; }

    // Steps: months (-1, +1) or years (-12, +12); the day is lowered to the target month's
    // length ("31 January" one month on is "28/29 February").
    void StepMonths(int months);

    // The day drawn at a point, or an invalid date outside the day cells (tests click with it).
    QDate DayAt(const QPoint& point) const;
    QRect DayRect(const QDate& day) const;
    // The four header step buttons: 0 month back, 1 month on, 2 year back, 3 year on.
    QRect StepButtonRect(int button) const;

signals:
    // The selected day changed (by a click, a step or SetSelectedDate).
    void selectionChanged(const QDate& day);
    // The user clicked a day cell.
    void dayClicked(const QDate& day);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QDate FirstShownDay() const;
    int HeaderHeight() const;
    int NamesHeight() const;
    QRect CellRect(int row, int column) const;

    QDate selected_;
    QSet<QDate> marked_;
    bool markingShown_ = true;
    Colours colours_;
};

}  // namespace pomix
