#include "ui/line_list_view.h"

#include <QAbstractListModel>
#include <algorithm>

#include "storage/text.h"
#include "ui/convert.h"

namespace pomix {

class LineListModel : public QAbstractListModel {
public:
    using Lines = std::vector<std::pair<std::string, ItemObject>>;
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(lines_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        if (role == Qt::DisplayRole) return ToQt(lines_[static_cast<std::size_t>(index.row())].first);
        return {};
    }
    void Reset(Lines lines) {
        beginResetModel();
        lines_ = std::move(lines);
        endResetModel();
    }
    const Lines& lines() const { return lines_; }

private:
    Lines lines_;
};

TLineListView::TLineListView(QWidget* parent) : QListView(parent), model_(new LineListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit currentRowChanged(current.isValid() ? current.row() : -1); });
    connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit rowDoubleClicked(index.row());
    });
}

void TLineListView::SetItems(std::vector<std::pair<std::string, ItemObject>> lines) {
    const auto before = [](const auto& a, const auto& b) { return CompareNoCase(a.first, b.first) < 0; };
    if (!std::is_sorted(lines.begin(), lines.end(), before)) std::stable_sort(lines.begin(), lines.end(), before);
    const bool hadCurrent = currentRow() >= 0;
    model_->Reset(std::move(lines));
    // A reset clears the current index without the selection model saying so.
    if (hadCurrent) emit currentRowChanged(-1);
}

int TLineListView::count() const { return model_->rowCount(); }

int TLineListView::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TLineListView::setCurrentRow(int row) {
    if (row < 0 || row >= count()) {
        selectionModel()->clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(model_->index(row));
}

std::string TLineListView::Line(int row) const {
    return row >= 0 && row < count() ? model_->lines()[static_cast<std::size_t>(row)].first : std::string();
}

ItemObject TLineListView::Object(int row) const {
    return row >= 0 && row < count() ? model_->lines()[static_cast<std::size_t>(row)].second : 0;
}

}  // namespace pomix
