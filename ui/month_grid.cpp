#include "ui/month_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace pomix {
namespace {

constexpr int kWeeks = 6;
constexpr int kDays = 7;

const char* const kMonthNames[12] = {"Январь",   "Февраль", "Март",   "Апрель",
                                     "Май",      "Июнь",    "Июль",   "Август",
                                     "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
const char* const kDayNames[kDays] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};

}  // namespace

TMonthGrid::TMonthGrid(QWidget* parent) : QWidget(parent), selected_(QDate::currentDate()) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(7 * 20, 8 * 14);
}

void TMonthGrid::SetSelectedDate(const QDate& date) {
    if (!date.isValid() || date == selected_) return;
    selected_ = date;
    update();
    emit selectionChanged(selected_);
}

void TMonthGrid::SetMarkedDays(QSet<QDate> days) {
    marked_ = std::move(days);
    update();
}

void TMonthGrid::SetMarkingShown(bool shown) {
    markingShown_ = shown;
    update();
}

void TMonthGrid::SetColours(const Colours& colours) {
    colours_ = colours;
    update();
}

void TMonthGrid::StepMonths(int months) {
    const QDate first = QDate(selected_.year(), selected_.month(), 1).addMonths(months);
    if (!first.isValid() || first.year() < 1 || first.year() > 9999) return;
    SetSelectedDate(
        QDate(first.year(), first.month(), std::min(selected_.day(), first.daysInMonth())));
}

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

void TMonthGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colours_.Background);

    // Header: "< Month >" in the left half, "< Year >" in the right half.
    const int hh = HeaderHeight();
    p.fillRect(QRect(0, 0, width(), hh), colours_.Header);
    p.setPen(colours_.HeaderText);
    const QString arrows[4] = {"◄", "►", "◄", "►"};
    for (int b = 0; b < 4; ++b) p.drawText(StepButtonRect(b), Qt::AlignCenter, arrows[b]);
    const QRect monthText(StepButtonRect(0).right(), 0,
                          StepButtonRect(1).left() - StepButtonRect(0).right(), hh);
    const QRect yearText(StepButtonRect(2).right(), 0,
                         StepButtonRect(3).left() - StepButtonRect(2).right(), hh);
    p.drawText(monthText, Qt::AlignCenter, QString::fromUtf8(kMonthNames[selected_.month() - 1]));
    p.drawText(yearText, Qt::AlignCenter, QString::number(selected_.year()));

    // Day names.
    const int nh = NamesHeight();
    p.fillRect(QRect(0, hh, width(), nh), colours_.Header);
    for (int c = 0; c < kDays; ++c) {
        const QRect cell = CellRect(0, c);
        p.drawText(QRect(cell.left(), hh, cell.width(), nh), Qt::AlignCenter,
                   QString::fromUtf8(kDayNames[c]));
    }

    // Days: other months' days are drawn lighter; today gets a frame of its own.
    const QDate first = FirstShownDay();
    for (int i = 0; i < kWeeks * kDays; ++i) {
        const QDate day = first.addDays(i);
        const QRect cell = CellRect(i / kDays, i % kDays);
        if (day == selected_) {
            p.fillRect(cell, colours_.Selected);
        } else if (markingShown_ && marked_.contains(day)) {
            p.fillRect(cell, colours_.Marked);
        }
        p.setPen(colours_.CellFrame);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        QColor text = day == selected_ ? colours_.HeaderText : colours_.DayText;
        if (day.month() != selected_.month()) text.setAlpha(110);
        p.setPen(text);
        QFont font = p.font();
        font.setBold(day == QDate::currentDate());
        p.setFont(font);
        p.drawText(cell, Qt::AlignCenter, QString::number(day.day()));
    }
}

void TMonthGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    static constexpr int kSteps[4] = {-1, 1, -12, 12};
    for (int b = 0; b < 4; ++b) {
        if (StepButtonRect(b).contains(at)) {
            StepMonths(kSteps[b]);
            return;
        }
    }
    const QDate day = DayAt(at);
    if (day.isValid()) {
        SetSelectedDate(day);
        emit dayClicked(day);
    }
}

void TMonthGrid::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            SetSelectedDate(selected_.addDays(-1));
            break;
        case Qt::Key_Right:
            SetSelectedDate(selected_.addDays(1));
            break;
        case Qt::Key_Up:
            SetSelectedDate(selected_.addDays(-7));
            break;
        case Qt::Key_Down:
            SetSelectedDate(selected_.addDays(7));
            break;
        case Qt::Key_PageUp:
            StepMonths(-1);
            break;
        case Qt::Key_PageDown:
            StepMonths(1);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace pomix
