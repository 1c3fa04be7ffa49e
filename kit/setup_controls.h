// Controls the settings window is built from, kept in the control layer for any window that
// needs them: an editable one-column grid, a field of up to three digits, the code page 1251
// guard of text fields, and the replaceable colour chooser.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTableWidget>
#include <QValidator>
#include <functional>

#include "core/settings/settings_record.h"
#include "storage/field_codec.h"
#include "kit/controls.h"

namespace pomix {

// Refuses any edit that would put a character code page 1251 cannot hold into the field:
// stored text is code page 1251, and a character that became "?" would make two different
// passwords or names equal.
class TCp1251Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

// Installs the guard on a field (the field owns it).
void AcceptOnlyCp1251(QLineEdit* field);

// A one-column grid whose cells are edited in place: one row per line, never fewer than one
// row. Cells take only code page 1251 text. Edited is emitted for every change the user makes
// (typing into a cell, inserting or deleting a row), never for SetRows.
class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    // The cells top to bottom, empty ones included (code page 1251).
    StrList Rows() const;
    // One row per line; a single empty row for an empty list.
    void SetRows(const StrList& lines);
    // The selected row; 0 when none is selected.
    int Row() const;
    void SetRow(int row);
    // An empty row inserted at the selected one, which moves down; the new row is selected.
    void InsertRow();
    // The selected row removed and the rows below move up; the only row is emptied instead.
    void DeleteRow();

signals:
    void Edited();

private:
    bool filling_ = false;
};

// A tab control whose tabs wrap onto as many rows as they need, tabsPerRow to a row, so every
// tab stays in sight in a narrow window. Tabs are static texts; the active one has the
// single-line frame, as the section tabs of the other windows.
class TPageControl : public QWidget {
    Q_OBJECT
public:
    explicit TPageControl(int tabsPerRow, QWidget* parent = nullptr);
    int AddPage(QWidget* page, const QString& caption);
    int Count() const { return static_cast<int>(tabs_.size()); }
    QWidget* Page(int index) const { return stack_->widget(index); }
    int IndexOf(const QWidget* page) const { return stack_->indexOf(const_cast<QWidget*>(page)); }
    QString PageCaption(int index) const;
    void SetPageCaption(int index, const QString& caption);
    int CurrentIndex() const { return stack_->currentIndex(); }
    void SetCurrentIndex(int index);
    TStaticButton* Tab(int index) const { return tabs_[static_cast<std::size_t>(index)]; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Arrange();
    int tabsPerRow_;
    std::vector<TStaticButton*> tabs_;
    TTabList* tabList_;
    QStackedWidget* stack_;
};

// A check box whose caption wraps onto further lines when it is wider than the box.
class TWrapCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TWrapCheckBox(const QString& caption, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QRect TextRect() const;
};

// A field of up to three digits (blank allowed). Text() is the field's text with blanks
// trimmed, which may be empty.
class TDigitsEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDigitsEdit(QWidget* parent = nullptr, int digits = 3);
    std::string Text() const;
    void SetText(const std::string& text);
};

// The platform's colour dialog with the full palette, behind a replaceable chooser so tests
// can answer it. The chooser gets the colour to preset and sets the chosen one; it returns
// false when the user cancels.
using ColourChooser = std::function<bool(QWidget* parent, TColor& colour)>;
// Installs a chooser and returns the one it replaces; an empty one restores the dialog.
ColourChooser SetColourChooser(ColourChooser chooser);
// True and colour set on OK; false and colour untouched on Cancel.
bool ChooseColour(QWidget* parent, TColor& colour);

}  // namespace pomix
