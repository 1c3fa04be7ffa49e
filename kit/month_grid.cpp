#include "kit/month_grid.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "kit/interface_language.h"

namespace pomix {
namespace {

constexpr int kWeeks = TMonthGrid::kWeeks;
constexpr int kDays = TMonthGrid::kDays;

}  // namespace

TMonthGrid::TMonthGrid(QWidget* parent) : QWidget(parent), selected_(QDate::currentDate()) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(7 * 20, 8 * 14);
}

void TMonthGrid::SetSelectedDate(const QDate& date) {
    if (!date.isValid() || date == selected_) return;
    const QDate before = FirstShownDay();
    selected_ = date;
    update();
    TellSelection(FirstShownDay() != before);
    emit selectionChanged(selected_);
}

QString TMonthGrid::MonthCaption() const {
    return MonthHeading(selected_.month()) + QLatin1Char(' ') + QString::number(selected_.year());
}

// The accessible children are the seven column headers, then the days row by row.
void TMonthGrid::TellSelection(bool otherMonth) {
    if (!QAccessible::isActive()) return;
    if (otherMonth) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
    const int child = kDays + static_cast<int>(FirstShownDay().daysTo(selected_));
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(child);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(child);
        QAccessible::updateAccessibility(&focus);
    }
}

void TMonthGrid::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    TellSelection(false);
}

void TMonthGrid::SetMarkedDays(QSet<QDate> days) {
    marked_ = std::move(days);
    update();
}

void TMonthGrid::SetMarkingShown(bool shown) {
    markingShown_ = shown;
    update();
}

void TMonthGrid::SetStepButtonsShown(bool shown) {
    stepButtons_ = shown;
    update();
}

void TMonthGrid::Choose(const QDate& day) {
    if (!day.isValid() || day.year() < 1 || day.year() > 9999 || day == selected_) return;
    SetSelectedDate(day);
    emit dayClicked(selected_);
}

void TMonthGrid::SetColours(const Colours& colours) {
    colours_ = colours;
    update();
}

QDate TMonthGrid::MonthsOn(int months) const {
    const QDate first = QDate(selected_.year(), selected_.month(), 1).addMonths(months);
    if (!first.isValid() || first.year() < 1 || first.year() > 9999) return {};
    return QDate(first.year(), first.month(), std::min(selected_.day(), first.daysInMonth()));
}

void TMonthGrid::StepMonths(int months) { SetSelectedDate(MonthsOn(months)); }

int TMonthGrid::HeaderHeight() const {
    return height() / 8 + 2;
}
int TMonthGrid::NamesHeight() const {
    return height() / 8;
}

QRect TMonthGrid::CellRect(int row, int column) const {
    const int top = HeaderHeight() + NamesHeight();
    const int w = width() / kDays, h = (height() - top) / kWeeks;
    const int left = (width() - w * kDays) / 2;
    return QRect(left + column * w, top + row * h, w, h);
}

QDate TMonthGrid::FirstShownDay() const {
    const QDate first(selected_.year(), selected_.month(), 1);
    return first.addDays(-(first.dayOfWeek() - 1));  // back to Monday
}

QRect TMonthGrid::DayRect(const QDate& day) const {
    const qint64 offset = FirstShownDay().daysTo(day);
    if (offset < 0 || offset >= kWeeks * kDays) return {};
    return CellRect(static_cast<int>(offset / kDays), static_cast<int>(offset % kDays));
}

QDate TMonthGrid::DayAt(const QPoint& point) const {
    for (int row = 0; row < kWeeks; ++row) {
        for (int column = 0; column < kDays; ++column) {
            if (CellRect(row, column).contains(point)) {
                return FirstShownDay().addDays(row * kDays + column);
            }
        }
    }
    return {};
}

QRect TMonthGrid::StepButtonRect(int button) const {
    const int h = HeaderHeight(), w = h + 4;
    switch (button) {
        case 0:
            return QRect(0, 0, w, h);
        case 1:
            return QRect(width() / 2 - w, 0, w, h);
        case 2:
            return QRect(width() / 2, 0, w, h);
        default:
            return QRect(width() - w, 0, w, h);
    }
}

void TMonthGrid::DrawHeader(QPainter& p) {
    const int hh = HeaderHeight();
    p.fillRect(QRect(0, 0, width(), hh), colours_.Header);
    p.setPen(colours_.HeaderText);
    const QString month = MonthHeading(selected_.month());
    const QString year = QString::number(selected_.year());
    if (!stepButtons_) {
        p.drawText(QRect(0, 0, width(), hh), Qt::AlignCenter, MonthCaption());
        return;
    }
    // "< Month >" in the left half, "< Year >" in the right half.
    const QString arrows[4] = {"◄", "►", "◄", "►"};
    for (int b = 0; b < 4; ++b) p.drawText(StepButtonRect(b), Qt::AlignCenter, arrows[b]);
    const QRect monthText(StepButtonRect(0).right(), 0,
                          StepButtonRect(1).left() - StepButtonRect(0).right(), hh);
    const QRect yearText(StepButtonRect(2).right(), 0,
                         StepButtonRect(3).left() - StepButtonRect(2).right(), hh);
    p.drawText(monthText, Qt::AlignCenter, month);
    p.drawText(yearText, Qt::AlignCenter, year);
}

void TMonthGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colours_.Background);

    DrawHeader(p);
    const int hh = HeaderHeight();
    p.setPen(colours_.HeaderText);

    // Day names.
    const int nh = NamesHeight();
    p.fillRect(QRect(0, hh, width(), nh), colours_.Header);
    for (int c = 0; c < kDays; ++c) {
        const QRect cell = CellRect(0, c);
        p.drawText(QRect(cell.left(), hh, cell.width(), nh), Qt::AlignCenter,
                   WeekdayHeading(c + 1));
    }

    // Days: other months' days are drawn lighter; today gets a frame of its own.
    const QDate first = FirstShownDay();
    for (int i = 0; i < kWeeks * kDays; ++i) {
        const QDate day = first.addDays(i);
        const QRect cell = CellRect(i / kDays, i % kDays);
        const bool marked = markingShown_ && marked_.contains(day);
        if (day == selected_) p.fillRect(cell, colours_.Selected);
        p.setPen(colours_.CellFrame);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        if (marked) {
            // Lowered: the upper and left edges dark, the lower and right ones light.
            const QRect inner = cell.adjusted(2, 2, -3, -3);
            p.setPen(colours_.MarkFrame.darker(150));
            p.drawLine(inner.topLeft(), inner.topRight());
            p.drawLine(inner.topLeft(), inner.bottomLeft());
            p.setPen(colours_.MarkFrame.lighter(150));
            p.drawLine(inner.bottomLeft(), inner.bottomRight());
            p.drawLine(inner.topRight(), inner.bottomRight());
        }
        QColor text = day == selected_ ? colours_.HeaderText
                      : marked         ? colours_.Marked
                                       : colours_.DayText;
        if (day.month() != selected_.month()) text.setAlpha(110);
        p.setPen(text);
        QFont font = p.font();
        font.setBold(day == QDate::currentDate());
        p.setFont(font);
        p.drawText(cell, Qt::AlignCenter, QString::number(day.day()));
    }
}

void TMonthGrid::PressStepButton(int button) {
    static constexpr int kSteps[4] = {-1, 1, -12, 12};
    if (stepButtons_ && button >= 0 && button < 4) Choose(MonthsOn(kSteps[button]));
}

void TMonthGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (stepButtons_) {
        for (int b = 0; b < 4; ++b) {
            if (StepButtonRect(b).contains(at)) {
                PressStepButton(b);
                return;
            }
        }
    }
    const QDate day = DayAt(at);
    if (!day.isValid()) return;
    // A click on the selected day is reported too: the planner shows that day again.
    if (day == selected_) emit dayClicked(day);
    else Choose(day);
}

// PageUp and PageDown step a month, with Shift a year, as in most date pickers.
void TMonthGrid::keyPressEvent(QKeyEvent* event) {
    const bool years = (event->modifiers() & Qt::ShiftModifier) != 0;
    switch (event->key()) {
        case Qt::Key_Left:
            Choose(selected_.addDays(-1));
            break;
        case Qt::Key_Right:
            Choose(selected_.addDays(1));
            break;
        case Qt::Key_Up:
            Choose(selected_.addDays(-7));
            break;
        case Qt::Key_Down:
            Choose(selected_.addDays(7));
            break;
        case Qt::Key_PageUp:
            Choose(MonthsOn(years ? -12 : -1));
            break;
        case Qt::Key_PageDown:
            Choose(MonthsOn(years ? 12 : 1));
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace pomix
