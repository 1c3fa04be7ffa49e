#include "kit/controls.h"

#include <QAbstractListModel>
#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QToolTip>
#include <algorithm>

#include "storage/text.h"
#include "kit/convert.h"

namespace pomix {

void SetColours(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) palette.setColor(role, background);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) palette.setColor(role, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void TPressableText::MakePressable() {
    if (pressable_) return;
    pressable_ = true;
    setFocusPolicy(Qt::StrongFocus);
}

void TPressableText::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (pressable_ && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select)) {
        event->accept();
        Press();
        return;
    }
    if (auto* tabs = qobject_cast<TTabList*>(parentWidget());
        tabs != nullptr && pressable_ && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        // The next tab in the order they are read: along a row, and on from the end of one row
        // to the start of the next where the tabs take more than one.
        QList<TPressableText*> row =
            tabs->findChildren<TPressableText*>(Qt::FindDirectChildrenOnly);
        row.removeIf([this, tabs](TPressableText* tab) {
            return tab != this && (!tab->isVisibleTo(tabs) || !tab->Pressable());
        });
        std::stable_sort(row.begin(), row.end(),
                         [](const TPressableText* a, const TPressableText* b) {
                             return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
                         });
        const qsizetype at = row.indexOf(this) + (key == Qt::Key_Right ? 1 : -1);
        TPressableText* next = at >= 0 && at < row.size() ? row[at] : nullptr;
        event->accept();
        if (next != nullptr) {
            next->setFocus(Qt::TabFocusReason);
            next->Press();
        }
        return;
    }
    QLabel::keyPressEvent(event);
}

void TPressableText::SetElidedText(const QString& text, int lines) {
    setWordWrap(false);
    eliding_ = true;
    lines_ = std::max(lines, 1);
    full_ = text;
    Elide();
}

void TPressableText::Elide() {
    const int room = std::max(contentsRect().width() - 2 * margin() - std::max(indent(), 0), 0);
    const QFontMetrics metrics = fontMetrics();
    // Every line but the last breaks at a word (or anywhere in a word wider than the line);
    // the last takes the rest, cut if it does not fit.
    QStringList lines;
    QTextLayout layout(full_, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int rest = 0;
    while (static_cast<int>(lines.size()) < lines_ - 1 && rest < full_.size()) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(room);
        lines << full_.mid(line.textStart(), line.textLength()).trimmed();
        rest = line.textStart() + line.textLength();
    }
    layout.endLayout();
    const QString last = full_.mid(rest);
    const QString lastShown = metrics.elidedText(last, Qt::ElideRight, room);
    if (!last.isEmpty() || lines.isEmpty()) lines << lastShown;
    cut_ = lastShown != last;
    shown_ = lines.join(QLatin1Char('\n'));
    setText(shown_);
}

bool TPressableText::Elided() const { return ShowsElided() && cut_; }

QString TPressableText::FullText() const { return ShowsElided() ? full_ : text(); }

bool TPressableText::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && Elided()) {
        const QString hint = toolTip();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                           hint.isEmpty() ? full_ : full_ + QLatin1Char('\n') + hint, this);
        return true;
    }
    if (event->type() == QEvent::FontChange && ShowsElided()) Elide();
    return QLabel::event(event);
}

void TPressableText::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (ShowsElided()) Elide();
}

void TPressableText::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

TStaticButton::TStaticButton(const QString& caption, QWidget* parent) : TPressableText(caption, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    SetBorder(false);
}

void TStaticButton::SetBorder(bool singleLine) {
    const bool was = HasBorder();
    setFrameStyle(singleLine ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
    if (was != singleLine && QAccessible::isActive() && qobject_cast<TTabList*>(parentWidget())) {
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

TTabList* GroupAsTabs(const std::vector<TStaticButton*>& tabs) {
    QWidget* parent = tabs.front()->parentWidget();
    QRect area;
    for (TStaticButton* tab : tabs) area |= tab->geometry();
    auto* list = new TTabList(parent);
    list->setObjectName(tabs.front()->objectName() + QStringLiteral("Tabs"));
    list->setGeometry(area);
    // Right above the first tab, so that whatever covered the tabs still covers them.
    list->stackUnder(tabs.front());
    for (TStaticButton* tab : tabs) {
        const QRect at = tab->geometry().translated(-area.topLeft());
        tab->setParent(list);
        tab->setGeometry(at);
        tab->show();
    }
    return list;
}

bool TStaticButton::HasBorder() const { return frameShape() == QFrame::Box; }

void TStaticButton::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

TButton::TButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) { setFlat(true); }

void TButton::keyPressEvent(QKeyEvent* event) {
    // The keypad's Enter carries the keypad modifier; any other modifier leaves the key to Qt.
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

TGradientPanel::TGradientPanel(QWidget* parent) : QWidget(parent) {}

void TGradientPanel::SetColours(const QColor& start, const QColor& end) {
    start_ = start;
    end_ = end;
    update();
}

QColor TGradientPanel::StepColor(int step) const {
    const auto mix = [step](int a, int b) { return a + (b - a) * step / (kGradientSteps - 1); };
    return QColor(mix(start_.red(), end_.red()), mix(start_.green(), end_.green()),
                  mix(start_.blue(), end_.blue()));
}

void TGradientPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int h = height();
    for (int step = 0; step < kGradientSteps; ++step) {
        const int top = h * step / kGradientSteps;
        const int bottom = h * (step + 1) / kGradientSteps;
        painter.fillRect(0, top, width(), bottom - top, StepColor(step));
    }
}

TPanel::TPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::NoFrame);
    setAutoFillBackground(true);
}

void TStaticButton::connectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&TStaticButton::clicked)) MakePressable();
    TPressableText::connectNotify(signal);
}

TLabel::TLabel(const QString& caption, QWidget* parent) : TPressableText(caption, parent) {
    setTextFormat(Qt::PlainText);
}

void TLabel::SetLinkText(const QString& text) {
    SetElidedText(text);
    setVisible(!text.isEmpty());
}

void TLabel::connectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&TLabel::doubleClicked)) MakePressable();
    TPressableText::connectNotify(signal);
}

void TLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    QLabel::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

std::string TEdit::Text() const { return FromQt(text()); }

// A field filled for the user opens at its start: QLineEdit leaves the cursor at the end, which
// scrolls a text longer than the field to its end and hides how it begins.
void TEdit::SetText(const std::string& cp1251) {
    setText(ToQt(cp1251));
    setCursorPosition(0);
}

TMaskEdit::TMaskEdit(Kind kind, QWidget* parent) : QLineEdit(parent), kind_(kind) {
    setInputMask(kind == Kind::Date ? "00.00.0000; " : "00:00; ");
}

const char* TMaskEdit::EmptyText(Kind kind) { return kind == Kind::Date ? "  .  .    " : "  :  "; }

std::string TMaskEdit::Text() const {
    // The display keeps the separators and blanks of unfilled places, which is exactly
    // the fixed-width form the date routines read.
    std::string text = displayText().toStdString();
    const std::size_t width = std::string(EmptyText(kind_)).size();
    text.resize(width, ' ');
    return text;
}

void TMaskEdit::SetText(const std::string& text) {
    setText(QString::fromStdString(text));
    setCursorPosition(0);
}

void TMaskEdit::Clear() { setText(QString()); }

// Tab leaves the memo for the next control instead of typing a tab: otherwise a keyboard
// user who enters a memo cannot get out of it.
TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) { setTabChangesFocus(true); }

StrList TMemo::Lines() const {
    const QString text = toPlainText();
    if (text.isEmpty()) return {};
    return FromQt(text.split(QLatin1Char('\n')));
}

void TMemo::SetLines(const StrList& cp1251) { setPlainText(ToQt(cp1251).join(QLatin1Char('\n'))); }

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent) { setInsertPolicy(QComboBox::NoInsert); }

void TComboBox::SetEditable(bool editable) {
    setEditable(editable);
    setInsertPolicy(QComboBox::NoInsert);
    if (editable) setCompleter(nullptr);
}

StrList TComboBox::Items() const {
    StrList items;
    for (int i = 0; i < count(); ++i) items.push_back(FromQt(itemText(i)));
    return items;
}

void TComboBox::SetItems(const StrList& cp1251) {
    const QSignalBlocker quiet(this);
    const QString typed = currentText();
    const int position = currentIndex();
    clear();
    addItems(ToQt(cp1251));
    if (isEditable()) {
        setCurrentIndex(findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive));
        setEditText(typed);
    } else {
        setCurrentIndex(position < count() ? position : -1);
    }
}

std::string TComboBox::Text() const { return FromQt(currentText()); }

void TComboBox::SetText(const std::string& cp1251) {
    const QString text = ToQt(cp1251);
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (isEditable()) {
        setEditText(text);
        lineEdit()->setCursorPosition(0);  // at its start, as TEdit
    }
}

namespace {

constexpr int kObjectRole = Qt::UserRole + 1;

}  // namespace

namespace {

// Lines are as wide as the list, so one too long for it is cut with "…" rather than scrolled
// to sideways; a cut line's whole text is its tool tip, shown whether or not hints are.
class CutLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (const auto* view = qobject_cast<const QAbstractItemView*>(parent())) {
            size.setWidth(std::min(size.width(), view->viewport()->width()));
        }
        return size;
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() == QEvent::ToolTip && index.isValid()) {
            QStyleOptionViewItem line(option);
            initStyleOption(&line, index);
            const QRect room = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &line, view);
            const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &line, view) + 1);
            if (line.fontMetrics.horizontalAdvance(line.text) > room.width() - margins) {
                QToolTip::showText(event->globalPos(), line.text, view->viewport(), option.rect);
                return true;
            }
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
};

}  // namespace

class SortedLinesModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(lines_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
        return ToQt(lines_[static_cast<std::size_t>(index.row())].first);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

    void Reset(TSortedListBox::Lines lines) {
        beginResetModel();
        lines_ = std::move(lines);
        endResetModel();
    }
    int Insert(const std::string& cp1251, ItemObject object) {
        // Upper bound: the first line that sorts after the new one.
        const auto at = std::upper_bound(lines_.begin(), lines_.end(), cp1251,
                                         [](const std::string& text, const auto& line) {
                                             return CompareNoCase(text, line.first) < 0;
                                         });
        const int row = static_cast<int>(at - lines_.begin());
        beginInsertRows({}, row, row);
        lines_.emplace(at, cp1251, object);
        endInsertRows();
        return row;
    }
    int Place(const std::string& cp1251, ItemObject object,
              const std::function<bool(ItemObject)>& before) {
        const auto old = std::find_if(lines_.begin(), lines_.end(),
                                      [object](const auto& line) { return line.second == object; });
        if (old != lines_.end()) {
            const int row = static_cast<int>(old - lines_.begin());
            beginRemoveRows({}, row, row);
            lines_.erase(old);
            endRemoveRows();
        }
        const auto equal = std::equal_range(lines_.begin(), lines_.end(), cp1251, Less{});
        const auto at = std::find_if(equal.first, equal.second,
                                     [&before](const auto& line) { return before(line.second); });
        const int row = static_cast<int>(at - lines_.begin());
        beginInsertRows({}, row, row);
        lines_.emplace(at, cp1251, object);
        endInsertRows();
        return row;
    }
    const TSortedListBox::Lines& Lines() const { return lines_; }

private:
    // A line against a text, either way round, by CompareNoCase.
    struct Less {
        bool operator()(const auto& line, const std::string& text) const {
            return CompareNoCase(line.first, text) < 0;
        }
        bool operator()(const std::string& text, const auto& line) const {
            return CompareNoCase(text, line.first) < 0;
        }
    };
    TSortedListBox::Lines lines_;
};

TSortedListBox::TSortedListBox(QWidget* parent)
    : QListView(parent), model_(new SortedLinesModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setItemDelegate(new CutLineDelegate(this));
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);  // lines laid anew to the width a scroll bar leaves
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                emit currentRowChanged(current.isValid() ? current.row() : -1);
            });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowDoubleClicked(index.row()); });
}

int TSortedListBox::AddItem(const std::string& cp1251, ItemObject object) {
    return model_->Insert(cp1251, object);
}

int TSortedListBox::PlaceItem(const std::string& cp1251, ItemObject object,
                              const std::function<bool(ItemObject other)>& before) {
    return model_->Place(cp1251, object, before);
}

void TSortedListBox::SetItems(Lines lines) {
    SortByTextNoCase(lines, [](const auto& line) -> const std::string& { return line.first; });
    SetSortedItems(std::move(lines));
}

void TSortedListBox::SetSortedItems(Lines lines) {
    model_->Reset(std::move(lines));
}

TSortedListBox::Lines TSortedListBox::OfRecords(std::vector<ListLine> lines) {
    Lines items;
    items.reserve(lines.size());
    for (ListLine& line : lines) items.emplace_back(std::move(line.Text), line.Serial);
    return items;
}

ItemObject TSortedListBox::Object(int row) const {
    return row >= 0 && row < count() ? model_->Lines()[static_cast<std::size_t>(row)].second : 0;
}

int TSortedListBox::RowOf(ItemObject object) const {
    const Lines& lines = model_->Lines();
    const auto found = std::find_if(lines.begin(), lines.end(),
                                    [object](const auto& line) { return line.second == object; });
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

std::string TSortedListBox::Line(int row) const {
    return row >= 0 && row < count() ? model_->Lines()[static_cast<std::size_t>(row)].first
                                     : std::string();
}

QString TSortedListBox::Text(int row) const {
    return model_->data(model_->index(row), Qt::DisplayRole).toString();
}

int TSortedListBox::count() const {
    return model_->rowCount();
}

int TSortedListBox::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TSortedListBox::setCurrentRow(int row) {
    if (row >= 0 && row < count()) {
        setCurrentIndex(model_->index(row));
    } else {
        selectionModel()->clear();
    }
}

QRect TSortedListBox::RowRect(int row) const {
    return visualRect(model_->index(row));
}

TColumnListBox::TColumnListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setColumnCount(1);
}

void TColumnListBox::SetColumnWidths(const std::vector<int>& widths) {
    setColumnCount(std::max<int>(1, static_cast<int>(widths.size())));
    for (std::size_t i = 0; i < widths.size(); ++i) setColumnWidth(static_cast<int>(i), widths[i]);
}

int TColumnListBox::AddRow(const std::vector<std::string>& cells, ItemObject object) {
    auto* item = new QTreeWidgetItem();
    const std::size_t columns = std::min<std::size_t>(cells.size(), static_cast<std::size_t>(columnCount()));
    for (std::size_t i = 0; i < columns; ++i) item->setText(static_cast<int>(i), ToQt(cells[i]));
    item->setData(0, kObjectRole, QVariant::fromValue<quintptr>(object));
    addTopLevelItem(item);
    return topLevelItemCount() - 1;
}

void TColumnListBox::AddRows(const std::vector<std::pair<std::vector<std::string>, ItemObject>>& rows) {
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    const std::size_t columnsShown = static_cast<std::size_t>(columnCount());
    for (const auto& [cells, object] : rows) {
        auto* item = new QTreeWidgetItem();
        const std::size_t columns = std::min(cells.size(), columnsShown);
        for (std::size_t i = 0; i < columns; ++i) item->setText(static_cast<int>(i), ToQt(cells[i]));
        item->setData(0, kObjectRole, QVariant::fromValue<quintptr>(object));
        items.push_back(item);
    }
    addTopLevelItems(items);
}

int TColumnListBox::RowOf(ItemObject object) const {
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (Object(row) == object) return row;
    }
    return -1;
}

ItemObject TColumnListBox::Object(int row) const {
    const QTreeWidgetItem* line = topLevelItem(row);
    return line ? line->data(0, kObjectRole).value<quintptr>() : 0;
}

int TColumnListBox::CurrentRow() const { return indexOfTopLevelItem(currentItem()); }

void TColumnListBox::SetCurrentRow(int row) { setCurrentItem(topLevelItem(row)); }

QString TColumnListBox::Cell(int row, int column) const {
    const QTreeWidgetItem* line = topLevelItem(row);
    return line ? line->text(column) : QString();
}

class OwnerDrawDelegate : public QStyledItemDelegate {
public:
    explicit OwnerDrawDelegate(TOwnerDrawListBox* list) : QStyledItemDelegate(list), list_(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!list_->draw_) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        list_->draw_(*painter, option.rect, index.row(), option.state.testFlag(QStyle::State_Selected));
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), list_->itemHeight_};
    }

private:
    TOwnerDrawListBox* list_;
};

TOwnerDrawListBox::TOwnerDrawListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new OwnerDrawDelegate(this));
}

void TOwnerDrawListBox::SetItemHeight(int height) {
    itemHeight_ = height;
    doItemsLayout();
}

int TOwnerDrawListBox::AddItem(const QString& text, ItemObject object) {
    auto* item = new QListWidgetItem(text, this);
    item->setData(kObjectRole, QVariant::fromValue<quintptr>(object));
    return count() - 1;
}

ItemObject TOwnerDrawListBox::Object(int row) const {
    const QListWidgetItem* line = item(row);
    return line ? line->data(kObjectRole).value<quintptr>() : 0;
}

}  // namespace pomix
