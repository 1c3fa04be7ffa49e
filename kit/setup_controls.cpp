#include "kit/setup_controls.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionButton>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <utility>

#include "storage/text.h"
#include "kit/accessibility.h"
#include "kit/convert.h"

namespace pomix {

QValidator::State TCp1251Validator::validate(QString& input, int&) const {
    return FitsCp1251(input) ? Acceptable : Invalid;
}

void AcceptOnlyCp1251(QLineEdit* field) { field->setValidator(new TCp1251Validator(field)); }

namespace {

// The in-place editor of a grid cell: a plain line with the code page 1251 guard.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) AcceptOnlyCp1251(line);
        return editor;
    }
};

constexpr int kColumnWidth = 180;
constexpr int kRowHeight = 15;

}  // namespace

TStringGrid::TStringGrid(QWidget* parent) : QTableWidget(parent) {
    setColumnCount(1);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setColumnWidth(0, kColumnWidth);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(kRowHeight);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegate(new GridCellDelegate(this));
    connect(this, &QTableWidget::cellChanged, this, [this] {
        if (!filling_) emit Edited();
    });
    SetRows({});
}

StrList TStringGrid::Rows() const {
    StrList lines;
    for (int row = 0; row < rowCount(); ++row) {
        const QTableWidgetItem* cell = item(row, 0);
        lines.push_back(cell ? FromQt(cell->text()) : std::string());
    }
    return lines;
}

void TStringGrid::SetRows(const StrList& lines) {
    const bool was = std::exchange(filling_, true);
    setRowCount(0);
    // Every row gets its cell, so an empty row is a cell with no text rather than none.
    setRowCount(std::max<int>(1, static_cast<int>(lines.size())));
    for (int row = 0; row < rowCount(); ++row) {
        const auto i = static_cast<std::size_t>(row);
        setItem(row, 0, new QTableWidgetItem(i < lines.size() ? ToQt(lines[i]) : QString()));
    }
    filling_ = was;
    SetRow(0);
}

int TStringGrid::Row() const {
    const int row = currentRow();
    return row < 0 ? 0 : row;
}

void TStringGrid::SetRow(int row) { setCurrentCell(row, 0); }

void TStringGrid::InsertRow() {
    const int row = Row();
    const bool was = std::exchange(filling_, true);
    insertRow(row);
    setItem(row, 0, new QTableWidgetItem(QString()));
    filling_ = was;
    SetRow(row);
    emit Edited();
}

void TStringGrid::DeleteRow() {
    const int row = Row();
    const bool was = std::exchange(filling_, true);
    if (rowCount() <= 1) {
        setItem(0, 0, new QTableWidgetItem(QString()));
    } else {
        removeRow(row);
    }
    filling_ = was;
    SetRow(std::min(row, rowCount() - 1));
    emit Edited();
}

namespace {
constexpr int kTabHeight = 20;
}

TPageControl::TPageControl(int tabsPerRow, QWidget* parent)
    : QWidget(parent), tabsPerRow_(std::max(1, tabsPerRow)), tabList_(new TTabList(this)),
      stack_(new QStackedWidget(this)) {
    tabList_->setObjectName("Tabs");
    stack_->setObjectName("Pages");
    stack_->setFrameStyle(QFrame::Box | QFrame::Plain);
}

int TPageControl::AddPage(QWidget* page, const QString& caption) {
    const int index = stack_->addWidget(page);
    auto* tab = new TStaticButton(caption, tabList_);
    tab->setObjectName(objectName() + "Tab" + QString::number(index));
    connect(tab, &TStaticButton::clicked, this, [this, index] { SetCurrentIndex(index); });
    tabs_.push_back(tab);
    Arrange();
    SetCurrentIndex(stack_->currentIndex());
    // A page is built before it is added, so its fields would come before the tabs: Tab reads
    // the tabs first, then the page shown.
    QWidget* previous = tabs_.front();
    for (std::size_t i = 1; i < tabs_.size(); ++i)
        QWidget::setTabOrder(std::exchange(previous, tabs_[i]), tabs_[i]);
    for (int i = 0; i < stack_->count(); ++i)
        previous = SetReadingTabOrder(stack_->widget(i), previous);
    return index;
}

QString TPageControl::PageCaption(int index) const { return Tab(index)->text(); }

void TPageControl::SetPageCaption(int index, const QString& caption) { Tab(index)->setText(caption); }

void TPageControl::SetCurrentIndex(int index) {
    if (index < 0 || index >= Count()) return;
    stack_->setCurrentIndex(index);
    for (int i = 0; i < Count(); ++i) Tab(i)->SetBorder(i == index);
}

void TPageControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
}

void TPageControl::Arrange() {
    const int rows = (Count() + tabsPerRow_ - 1) / tabsPerRow_;
    const int width = this->width() / tabsPerRow_;
    for (int i = 0; i < Count(); ++i) {
        const int row = i / tabsPerRow_, column = i % tabsPerRow_;
        // The last of a row takes what the division leaves over.
        const int w = column == tabsPerRow_ - 1 ? this->width() - column * width : width - 2;
        Tab(i)->setGeometry(column * width, row * (kTabHeight + 2), w, kTabHeight);
    }
    const int top = rows * (kTabHeight + 2);
    tabList_->setGeometry(0, 0, this->width(), top);
    stack_->setGeometry(0, top, this->width(), height() - top);
}

TWrapCheckBox::TWrapCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

QRect TWrapCheckBox::TextRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    const int left = indicator.right() + 1 + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);
    return QRect(left, 0, width() - left, height());
}

QSize TWrapCheckBox::sizeHint() const {
    const QSize base = QCheckBox::sizeHint();
    const QRect text = fontMetrics().boundingRect(TextRect(), Qt::TextWordWrap, this->text());
    return {base.width(), std::max(base.height(), text.height())};
}

void TWrapCheckBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    // The box at the top line, the caption wrapped beside it.
    const int line = fontMetrics().height();
    QStyleOptionButton box = option;
    box.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    box.rect.moveTop(std::max(0, (line - box.rect.height()) / 2));
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(TextRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text());
}

bool TWrapCheckBox::hitButton(const QPoint& position) const { return rect().contains(position); }

TDigitsEdit::TDigitsEdit(QWidget* parent, int digits) : QLineEdit(parent) {
    setMaxLength(digits);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,%1}").arg(digits)), this));
}

std::string TDigitsEdit::Text() const { return Trim(text().toStdString()); }

void TDigitsEdit::SetText(const std::string& text) { setText(QString::fromStdString(text)); }

namespace {

ColourChooser& Chooser() {
    static ColourChooser chooser;
    return chooser;
}

}  // namespace

ColourChooser SetColourChooser(ColourChooser chooser) { return std::exchange(Chooser(), std::move(chooser)); }

bool ChooseColour(QWidget* parent, TColor& colour) {
    if (Chooser()) return Chooser()(parent, colour);
    // Qt's own dialog, which speaks the interface language; the desktop's follows the system's.
    const QColor chosen = QColorDialog::getColor(ToQColor(colour), parent, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid()) return false;
    colour = FromQColor(chosen);
    return true;
}

}  // namespace pomix
