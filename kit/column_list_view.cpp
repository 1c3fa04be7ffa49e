#include "kit/column_list_view.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QSignalBlocker>

#include "kit/convert.h"

namespace pomix {

class ColumnListModel : public QAbstractTableModel {
public:
    explicit ColumnListModel(QObject* parent) : QAbstractTableModel(parent) {}

    void Reset(int rows, int columns, TColumnListView::CellText cellText) {
        beginResetModel();
        rows_ = rows;
        columns_ = columns;
        cellText_ = std::move(cellText);
        endResetModel();
    }
    void SetColumnCount(int columns) { Reset(rows_, columns, std::move(cellText_)); }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : columns_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || !cellText_) return {};
        return ToQt(cellText_(index.row(), index.column()));
    }

private:
    int rows_ = 0;
    int columns_ = 1;
    TColumnListView::CellText cellText_;
};

TColumnListView::TColumnListView(QWidget* parent) : QTreeView(parent), model_(new ColumnListModel(this)) {
    setModel(model_);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit currentRowChanged(current.isValid() ? current.row() : -1); });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowDoubleClicked(index.row()); });
}

void TColumnListView::SetColumnWidths(const std::vector<int>& widths) {
    model_->SetColumnCount(std::max<int>(1, static_cast<int>(widths.size())));
    for (std::size_t i = 0; i < widths.size(); ++i) setColumnWidth(static_cast<int>(i), widths[i]);
}

void TColumnListView::SetRows(int rowCount, CellText cellText) {
    const QSignalBlocker quiet(selectionModel());
    model_->Reset(rowCount, model_->columnCount(), std::move(cellText));
}

int TColumnListView::Count() const { return model_->rowCount(); }

int TColumnListView::CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TColumnListView::SetCurrentRow(int row) {
    if (row >= 0 && row < Count()) {
        setCurrentIndex(model_->index(row, 0));
    } else {
        selectionModel()->clear();
    }
}

QString TColumnListView::Cell(int row, int column) const {
    return model_->data(model_->index(row, column), Qt::DisplayRole).toString();
}

}  // namespace pomix
