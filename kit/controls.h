// The controls every window is built from. Each control's Qt object name is its name in the
// window definitions ("StaticButton1", "Edit1" …): the dictionary binding and the tests find
// controls by it. Colours come from the recolouring step (kit/recolour.h).
#pragma once

#include <QColor>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "storage/field_codec.h"
#include "storage/record_list.h"

namespace pomix {

// Gives a control its name and place in one call: Make<TEdit>(parent, "Edit1", {x, y, w, h}).
template <class Control, class... Args>
Control* Make(QWidget* parent, const char* name, const QRect& geometry, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)..., parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

// Sets a widget's background and text colours through its palette.
void SetColours(QWidget* widget, const QColor& background, const QColor& text);

// A static text that becomes a button once something listens to its click: it then takes
// the focus in the Tab order, Space and Enter press it, a dotted frame shows the focus, and
// assistive technology sees a button named by its caption (kit/accessibility.h). Title strips
// and captions, whose click nobody listens to, stay plain text out of the Tab order.
//
// A text showing one line of data (a name, a phone number, a title) is set by SetElidedText:
// where it is wider than the control it is cut with "…" rather than wrapped or clipped, and
// the whole text is its tool tip (shown whether or not hints are) and, to a screen reader, its
// name and description (kit/accessibility.cpp). A field of more lines (an address) wraps at
// words up to its last line, which is the one cut.
class TPressableText : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    bool Pressable() const { return pressable_; }
    // What a click does: emits the text's click signal.
    virtual void Press() = 0;

    void SetElidedText(const QString& text, int lines = 1);
    // True while the text shown is SetElidedText's, cut.
    bool Elided() const;
    // The text SetElidedText was given while it is shown, else the text shown.
    QString FullText() const;

protected:
    void MakePressable();
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Cuts full_ to the width the control has now.
    void Elide();
    // Whether the text shown is still the one Elide set (setText or clear abandon it).
    bool ShowsElided() const { return eliding_ && text() == shown_; }

    bool pressable_ = false;
    bool eliding_ = false;
    bool cut_ = false;
    int lines_ = 1;
    QString full_;
    QString shown_;
};

// A flat static text that acts as a button or a title strip: centred text, an optional
// single-line frame (the selected tab or section), a Tag, and a click. Its text is plain:
// a title strip often shows stored data, which must never render as markup.
class TStaticButton : public TPressableText {
    Q_OBJECT
public:
    explicit TStaticButton(const QString& caption, QWidget* parent = nullptr);
    int Tag = 0;
    void SetBorder(bool singleLine);
    bool HasBorder() const;
    void Press() override { emit clicked(); }
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void connectNotify(const QMetaMethod& signal) override;
};

// A row of tabs (static texts whose single-line frame marks the chosen one) gathered as one
// tab list: assistive technology reads them as page tabs, the framed one selected, and Left
// and Right move between them as in any tab bar.
class TTabList : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

// Moves tabs that share a parent into a new tab list laid where they stand, and returns it.
TTabList* GroupAsTabs(const std::vector<TStaticButton*>& tabs);

// A flat push button. Space and also Enter press the focused button, as on the desktop the
// program came from (Qt presses on Enter only in dialogs).
class TButton : public QPushButton {
    Q_OBJECT
public:
    explicit TButton(const QString& caption, QWidget* parent = nullptr);
    int Tag = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A panel painted in kGradientSteps bands from StartColor (top) to EndColor (bottom).
class TGradientPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kGradientSteps = 60;
    explicit TGradientPanel(QWidget* parent = nullptr);
    void SetColours(const QColor& start, const QColor& end);
    QColor StartColor() const { return start_; }
    QColor EndColor() const { return end_; }
    // The colour of band step (0 … kGradientSteps - 1).
    QColor StepColor(int step) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor start_{0xC0, 0xC0, 0xC0};
    QColor end_{0x80, 0x80, 0x80};
};

// A plain flat panel.
class TPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);
};

// A label whose text is plain (labels show stored data, which must never render as markup)
// and which reports a double click, for the labels that open an address.
class TLabel : public TPressableText {
    Q_OBJECT
public:
    explicit TLabel(const QString& caption, QWidget* parent = nullptr);
    // For a label that opens what it shows (an e-mail, a web address): it stands only while it
    // shows something, so that an empty one is neither a Tab stop nor read out.
    void SetLinkText(const QString& text);
    // The keyboard's and screen reader's press of a label that opens something on a double click.
    void Press() override { emit doubleClicked(); }
signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void connectNotify(const QMetaMethod& signal) override;
};

class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr);
    std::string Text() const;  // code page 1251
    void SetText(const std::string& cp1251);
};

// A date "DD.MM.YYYY" or time "HH:MM" field. Text() is always the full-width form that the
// date routines read, blanks where nothing was typed: "  .  .    " and "  :  " when empty.
class TMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class Kind { Date, Time };
    explicit TMaskEdit(Kind kind, QWidget* parent = nullptr);
    std::string Text() const;
    void SetText(const std::string& text);
    void Clear();
    static const char* EmptyText(Kind kind);

private:
    Kind kind_;
};

class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent = nullptr);
    StrList Lines() const;  // code page 1251, one per line
    void SetLines(const StrList& cp1251);
};

// A drop-down list. An editable one never inserts the typed text as an item on Enter and never
// completes a typed prefix into an item: what the user typed is what the window reads.
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);
    void SetEditable(bool editable);
    StrList Items() const;
    // Replaces the items without emitting any change signal, and keeps what the user sees:
    // an editable drop-down keeps its text (and selects the item equal to it, or none); a
    // fixed one keeps its position while that position still exists (or selects none). It
    // never selects the first item by itself.
    void SetItems(const StrList& cp1251);
    // The shown text in code page 1251: the typed text of an editable drop-down, the
    // selected item's of a fixed one.
    std::string Text() const;
    // An editable drop-down shows text and selects the item equal to it, or none; a fixed one
    // selects the item equal to text, or none.
    void SetText(const std::string& cp1251);
};

// Every line of a list carries the record it shows as a number: the record's serial number in
// its RecordList (storage/record_list.h), which survives deletes and sorts.
using ItemObject = quintptr;

// A one-column list that keeps its lines in CompareNoCase order; equal lines keep the order
// in which they were added. A line wider than the list is cut with "…", whole in its tool tip.
// The list holds the lines as code page 1251 bytes and converts only the rows it draws, so
// that a list of 100,000 lines is filled without a Qt object or a converted text per line.
class SortedLinesModel;
class TSortedListBox : public QListView {
    Q_OBJECT
public:
    using Lines = std::vector<std::pair<std::string, ItemObject>>;

    explicit TSortedListBox(QWidget* parent = nullptr);
    // Returns the row the line went to.
    int AddItem(const std::string& cp1251, ItemObject object);
    // Puts object's line (taken from where it was, if listed) where a sort of every line puts
    // cp1251: among lines of equal text, before the first whose object the line's record
    // precedes (before(other), the sort's own tie-break). Returns the row.
    int PlaceItem(const std::string& cp1251, ItemObject object,
                  const std::function<bool(ItemObject other)>& before);
    // Replaces every line at once (sorted once, drawn once): the way to fill a long list.
    void SetItems(Lines lines);
    // As SetItems, for lines already in order (sorted beside the interface): nothing per line
    // is done here.
    void SetSortedItems(Lines lines);
    // A model's lines, each carrying its record's serial number.
    static Lines OfRecords(std::vector<ListLine> lines);
    ItemObject Object(int row) const;
    // The row whose line carries object, or -1.
    int RowOf(ItemObject object) const;
    std::string Line(int row) const;
    // The line as shown.
    QString Text(int row) const;
    int count() const;
    // -1 with no current row; any row outside the list clears it.
    int currentRow() const;
    void setCurrentRow(int row);
    // Where the row is drawn, in the viewport.
    QRect RowRect(int row) const;

signals:
    // The current row changed (-1: none), by the user or by setCurrentRow.
    void currentRowChanged(int row);
    void rowDoubleClicked(int row);

private:
    SortedLinesModel* model_;
};

// A list of lines in columns of the given widths (minimum widths: the last column takes what
// is left). Lines are filled cell by cell, so no character of the data can shift a column.
class TColumnListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit TColumnListBox(QWidget* parent = nullptr);
    void SetColumnWidths(const std::vector<int>& widths);
    // cells: code page 1251, one per column; missing cells are empty, extra cells dropped.
    // Returns the row of the new line.
    int AddRow(const std::vector<std::string>& cells, ItemObject object);
    // Many lines at once, appended in the given order: one insertion for the whole batch,
    // the way to fill a long list.
    void AddRows(const std::vector<std::pair<std::vector<std::string>, ItemObject>>& rows);
    // The row whose line carries object, or -1.
    int RowOf(ItemObject object) const;
    ItemObject Object(int row) const;
    int Count() const { return topLevelItemCount(); }
    int CurrentRow() const;
    void SetCurrentRow(int row);
    QString Cell(int row, int column) const;
};

// A list whose lines the window paints itself.
class TOwnerDrawListBox : public QListWidget {
    Q_OBJECT
public:
    using DrawItem = std::function<void(QPainter& painter, const QRect& rect, int row, bool selected)>;
    explicit TOwnerDrawListBox(QWidget* parent = nullptr);
    void SetDrawItem(DrawItem draw) { draw_ = std::move(draw); }
    void SetItemHeight(int height);
    int AddItem(const QString& text, ItemObject object);
    ItemObject Object(int row) const;

private:
    friend class OwnerDrawDelegate;
    DrawItem draw_;
    int itemHeight_ = 15;
};

}  // namespace pomix
