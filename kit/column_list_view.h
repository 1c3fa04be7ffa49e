// A multi-column list for long lists: it holds no text of its own, only a row count, and asks
// the window for a cell's text when the cell is drawn. Filling it costs nothing per row, so a
// list of 100,000 lines is rebuilt at once; the window keeps, per row, the reference to the
// record the row shows and answers from the record.
#pragma once

#include <QTreeView>
#include <functional>
#include <string>
#include <vector>

namespace pomix {

class ColumnListModel;

class TColumnListView : public QTreeView {
    Q_OBJECT
public:
    // The text of a cell in code page 1251; asked only for rows below the count last set.
    using CellText = std::function<std::string(int row, int column)>;

    explicit TColumnListView(QWidget* parent = nullptr);
    void SetColumnWidths(const std::vector<int>& widths);
    // Replaces every line: rowCount rows whose cells come from cellText. No row is current
    // afterwards and no signal fires.
    void SetRows(int rowCount, CellText cellText);
    int Count() const;
    // -1 with no current row.
    int CurrentRow() const;
    // Any row outside the list clears the current row.
    void SetCurrentRow(int row);
    QString Cell(int row, int column) const;

signals:
    // The current row changed (-1: none), by the user or by SetCurrentRow.
    void currentRowChanged(int row);
    void rowDoubleClicked(int row);

private:
    ColumnListModel* model_;
};

}  // namespace pomix
