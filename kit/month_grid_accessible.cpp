// The month grid as assistive technology reads it: a table of six weeks by seven days under a
// row of column headers (the weekdays). Each day cell is named by its full date, selected
// when it is the grid's day, and described as holding events where the grid marks it.
//
// Children, in order: the seven column headers, then the 42 day cells row by row, then (where
// the grid shows them) its four painted step buttons as push buttons a screen reader can press.
// Cells are kept by their place in the grid, not by their day: stepping the month renames them.
#include <QAccessibleWidget>
#include <QPointer>
#include <array>

#include "kit/accessibility.h"
#include "kit/month_grid.h"

namespace pomix {
namespace {

constexpr int kCells = TMonthGrid::kWeeks * TMonthGrid::kDays;
constexpr int kFirstStep = TMonthGrid::kDays + kCells;
constexpr int kSteps = 4;

class MonthGridAccessible;

// A column header (column 0..6) or a day cell (kDays + place): one class, as both are table
// cells of the same grid.
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCell(TMonthGrid* grid, int child) : grid_(grid), child_(child) {}

    bool isValid() const override { return grid_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return IsHeader() ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QString text(QAccessible::Text kind) const override {
        if (!grid_) return {};
        if (IsHeader()) {
            return kind == QAccessible::Name ? WeekdayName(child_ + 1) : QString();
        }
        if (kind == QAccessible::Name) return SpokenDate(Day());
        if (kind == QAccessible::Description && grid_->IsMarked(Day())) return grid_->MarkedDayText;
        return {};
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!grid_) return state;
        state.invisible = !grid_->isVisible();
        if (IsHeader()) return state;
        state.selectable = true;
        state.focusable = true;
        state.selected = Day() == grid_->SelectedDate();
        state.focused = state.selected && grid_->hasFocus();
        return state;
    }

    QRect rect() const override {
        if (!grid_) return {};
        QRect area;
        if (IsHeader()) {
            const QRect first = grid_->DayRect(grid_->ShownDay(child_));
            const int top = grid_->DayRect(grid_->ShownDay(0)).top();
            const int header = grid_->StepButtonRect(0).height();
            area = QRect(first.left(), header, first.width(), top - header);
        } else {
            area = grid_->DayRect(Day());
        }
        return QRect(grid_->mapToGlobal(area.topLeft()), area.size());
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return IsHeader() ? child_ : Place() % TMonthGrid::kDays; }
    // Headers are no row of the table: the day rows count from 0.
    int rowIndex() const override { return IsHeader() ? -1 : Place() / TMonthGrid::kDays; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    bool IsHeader() const { return child_ < TMonthGrid::kDays; }
    int Place() const { return child_ - TMonthGrid::kDays; }
    QDate Day() const { return grid_->ShownDay(Place()); }

    QPointer<TMonthGrid> grid_;
    int child_;
};

// One of the header's step buttons (0 month back, 1 month on, 2 year back, 3 year on).
class StepButton : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    StepButton(TMonthGrid* grid, int button) : grid_(grid), button_(button) {}

    bool isValid() const override { return grid_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(grid_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Button; }
    QString text(QAccessible::Text kind) const override {
        if (!grid_ || kind != QAccessible::Name) return {};
        return grid_->StepButtonNames[static_cast<std::size_t>(button_)];
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !grid_ || !grid_->isVisible() || !grid_->StepButtonsShown();
        state.disabled = grid_ && !grid_->isEnabled();
        return state;
    }
    QRect rect() const override {
        if (!grid_) return {};
        const QRect area = grid_->StepButtonRect(button_);
        return QRect(grid_->mapToGlobal(area.topLeft()), area.size());
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& action) override {
        if (grid_ && grid_->isEnabled() && action == pressAction()) grid_->PressStepButton(button_);
    }

private:
    QPointer<TMonthGrid> grid_;
    int button_;
};

class MonthGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit MonthGridAccessible(TMonthGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~MonthGridAccessible() override {
        for (QAccessible::Id id : ids_) {
            if (id != 0) QAccessible::deleteAccessibleInterface(id);
        }
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return Grid()->MonthCaption();
        return QAccessibleWidget::text(kind);
    }

    int childCount() const override {
        return kFirstStep + (Grid()->StepButtonsShown() ? kSteps : 0);
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        QAccessible::Id& id = ids_[static_cast<std::size_t>(index)];
        if (id == 0) {
            QAccessibleInterface* made =
                index < kFirstStep ? static_cast<QAccessibleInterface*>(new GridCell(Grid(), index))
                                   : new StepButton(Grid(), index - kFirstStep);
            id = QAccessible::registerAccessibleInterface(made);
        }
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i) {
            if (ids_[static_cast<std::size_t>(i)] != 0 && this->child(i) == child) return i;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = Grid()->mapFromGlobal(QPoint(x, y));
        for (int b = 0; b < kSteps && Grid()->StepButtonsShown(); ++b) {
            if (Grid()->StepButtonRect(b).contains(at)) return child(kFirstStep + b);
        }
        const QDate day = Grid()->DayAt(at);
        if (!day.isValid()) return nullptr;
        return child(TMonthGrid::kDays + static_cast<int>(Grid()->ShownDay(0).daysTo(day)));
    }
    QAccessibleInterface* focusChild() const override {
        return Grid()->hasFocus() ? child(SelectedChild()) : nullptr;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The table.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || row >= TMonthGrid::kWeeks || column < 0 || column >= TMonthGrid::kDays) return nullptr;
        return child(TMonthGrid::kDays + row * TMonthGrid::kDays + column);
    }
    int selectedCellCount() const override { return 1; }
    QList<QAccessibleInterface*> selectedCells() const override { return {child(SelectedChild())}; }
    QString columnDescription(int column) const override { return WeekdayName(column + 1); }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return TMonthGrid::kDays; }
    int rowCount() const override { return TMonthGrid::kWeeks; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    TMonthGrid* Grid() const { return static_cast<TMonthGrid*>(widget()); }
    int SelectedChild() const {
        return TMonthGrid::kDays + static_cast<int>(Grid()->ShownDay(0).daysTo(Grid()->SelectedDate()));
    }

    mutable std::array<QAccessible::Id, kFirstStep + kSteps> ids_{};
};

QList<QAccessibleInterface*> GridCell::columnHeaderCells() const {
    if (!grid_ || IsHeader()) return {};
    QAccessibleInterface* grid = parent();
    return {grid ? grid->child(columnIndex()) : nullptr};
}

}  // namespace

QAccessibleInterface* NewMonthGridAccessible(TMonthGrid* grid) { return new MonthGridAccessible(grid); }

}  // namespace pomix
