// A one-column list for long record lists (tens of thousands of lines): the same order and
// line-to-record tie as TSortedListBox, but the lines live in one vector and are converted for
// display only when they come into view, so that filling 100,000 lines takes milliseconds.
#pragma once

#include <QListView>
#include <string>
#include <utility>
#include <vector>

#include "ui/controls.h"

namespace pomix {

class LineListModel;

class TLineListView : public QListView {
    Q_OBJECT
public:
    explicit TLineListView(QWidget* parent = nullptr);

    // Replaces every line at once and selects none. Lines are shown in CompareNoCase order,
    // equal lines in the order given; lines that already come in that order (as the core's
    // SortLines leaves them) are not sorted again.
    void SetItems(std::vector<std::pair<std::string, ItemObject>> lines);
    int count() const;
    int currentRow() const;
    // -1 selects none.
    void setCurrentRow(int row);
    std::string Line(int row) const;  // code page 1251
    ItemObject Object(int row) const;

signals:
    // The selected row changed (-1: none).
    void currentRowChanged(int row);
    void rowDoubleClicked(int row);

private:
    LineListModel* model_;
};

}  // namespace pomix
