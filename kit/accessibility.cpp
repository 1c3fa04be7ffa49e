#include "kit/accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <vector>
#include <optional>

#include "kit/controls.h"
#include "kit/interface_language.h"
#include "kit/month_grid.h"

namespace pomix {

namespace {

// A pressable static text as a button: its caption is its name and "Press" clicks it. The
// role is asked each time, so a text whose click is connected later still shows right.
class PressableTextAccessible : public QAccessibleWidget {
public:
    explicit PressableTextAccessible(TPressableText* text) : QAccessibleWidget(text, QAccessible::StaticText) {}

    QAccessible::Role role() const override {
        if (!Text()->Pressable()) return QAccessible::StaticText;
        return IsTab() ? QAccessible::PageTab : QAccessible::Button;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (IsTab()) {
            state.selectable = true;
            state.selected = static_cast<TStaticButton*>(widget())->HasBorder();
        }
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && Text()->accessibleName().isEmpty()) {
            // A colour swatch shows no caption, or a sample letter: its hint says what
            // pressing it does.
            const QString caption = Text()->text().trimmed();
            return caption.size() <= 1 && !Text()->toolTip().isEmpty() ? Text()->toolTip() : Text()->FullText();
        }
        if (kind == QAccessible::Description && Text()->Elided()) return Text()->FullText();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (Text()->Pressable() && Text()->isEnabled()) names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action == pressAction() && Text()->Pressable()) {
            if (Text()->isEnabled()) Text()->Press();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    TPressableText* Text() const { return static_cast<TPressableText*>(widget()); }
    bool IsTab() const {
        return qobject_cast<TStaticButton*>(widget()) && qobject_cast<TTabList*>(widget()->parentWidget());
    }
};

// The program with its open pop-up menus among its windows: Qt leaves pop-ups out of the
// application's children, so no tree would otherwise lead to a menu while it is open.
class ProgramAccessible : public QAccessibleApplication {
public:
    int childCount() const override { return QAccessibleApplication::childCount() + static_cast<int>(OpenMenus().size()); }
    QAccessibleInterface* child(int index) const override {
        const int own = QAccessibleApplication::childCount();
        if (index < own) return QAccessibleApplication::child(index);
        const QList<QMenu*> menus = OpenMenus();
        return index - own < menus.size() ? QAccessible::queryAccessibleInterface(menus[index - own]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* menu = child != nullptr ? qobject_cast<QMenu*>(child->object()) : nullptr;
        const int open = static_cast<int>(OpenMenus().indexOf(const_cast<QMenu*>(menu)));
        return open >= 0 ? QAccessibleApplication::childCount() + open : QAccessibleApplication::indexOfChild(child);
    }

private:
    static QList<QMenu*> OpenMenus() {
        QList<QMenu*> open;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* menu = qobject_cast<QMenu*>(window); menu != nullptr && menu->isVisible()) open.append(menu);
        }
        return open;
    }
};

QAccessibleInterface* ControlAccessibleFactory(const QString&, QObject* object) {
    if (auto* text = qobject_cast<TPressableText*>(object)) return new PressableTextAccessible(text);
    if (auto* grid = qobject_cast<TMonthGrid*>(object)) return NewMonthGridAccessible(grid);
    if (object == qApp) return new ProgramAccessible;
    if (auto* tabs = qobject_cast<TTabList*>(object)) return new QAccessibleWidget(tabs, QAccessible::PageTabList);
    return nullptr;
}

bool IsField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractItemView*>(widget);
}

// A field's own parts (the edit line of a drop-down, a list's viewport) are no fields.
bool InsideField(const QWidget* widget, const QWidget* window) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != window; up = up->parentWidget()) {
        if (IsField(up)) return true;
    }
    return false;
}

QRect RectIn(const QWidget* widget, const QWidget* window) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// A caption lies in the field's own panel or in one around it; never under a panel that
// holds the field, as the window's captions lie under an editor panel laid over the window.
bool SharesPanel(const QWidget* label, const QWidget* field) {
    const QWidget* home = label->parentWidget();
    const QWidget* below = field;  // the child of `up` on the way down to the field
    for (const QWidget* up = field->parentWidget(); up != nullptr; below = up, up = up->parentWidget()) {
        if (up != home) continue;
        return below == field || !below->geometry().intersects(label->geometry());
    }
    return false;
}

// How far a caption sits from its field; none when it is not the field's caption. A caption
// to the left on the same line is nearer than one at the same distance above.
std::optional<int> CaptionDistance(const QRect& caption, const QRect& field, bool leftOnly) {
    constexpr int kSlack = 3, kMaxLeftGap = 120, kMaxAboveGap = 30;
    const int captionMiddle = caption.center().y();
    const bool sameLine = captionMiddle >= field.top() - kSlack && captionMiddle <= field.bottom() + kSlack;
    if (sameLine && caption.right() <= field.left() + kSlack) {
        const int gap = field.left() - caption.right();
        if (gap <= kMaxLeftGap) return gap;
    }
    if (leftOnly) return std::nullopt;
    // Above: a caption over the field's columns, also a title strip across its panel.
    const bool overField = caption.left() < field.right() && caption.right() > field.left();
    if (overField && caption.bottom() <= field.top() + kSlack) {
        const int gap = field.top() - caption.bottom();
        if (gap <= kMaxAboveGap) return 2 * gap + 1;
    }
    return std::nullopt;
}

bool SaysSomething(const QString& caption) {
    return std::any_of(caption.begin(), caption.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

// Marks a name this pass gave, so that a later pass renews it after a dictionary change.
const char kNamedByCaption[] = "pomixNamedByCaption";

// Names the fields of each window shown, after the show has applied its dictionary.
class CaptionNamer : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || !(widget->isWindow() || widget->property(kNamedAsWindow).toBool())) return false;
        QTimer::singleShot(0, widget, [window = QPointer<QWidget>(widget)] {
            if (window) NameFieldsByCaptions(window);
        });
        return false;
    }
};

}  // namespace

QString SpokenDate(const QDate& day) {
    return InterfaceLocale().toString(day, QStringLiteral("dddd, d MMMM yyyy"));
}

QString WeekdayName(int weekday) { return InterfaceLocale().dayName(weekday, QLocale::LongFormat); }

QWidget* SetReadingTabOrder(QWidget* panel, QWidget* after) {
    struct Stop {
        QWidget* widget;
        QRect place;
    };
    std::vector<Stop> stops;
    for (QWidget* widget : panel->findChildren<QWidget*>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || InsideField(widget, panel)) continue;
        if (widget->focusProxy() != nullptr) continue;
        stops.push_back({widget, RectIn(widget, panel)});
    }
    // Lines: a control whose middle lies within the first control of a line belongs to it.
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.place.top() < b.place.top(); });
    std::vector<std::vector<Stop>> lines;
    for (const Stop& stop : stops) {
        if (lines.empty() || stop.place.center().y() > lines.back().front().place.bottom()) lines.emplace_back();
        lines.back().push_back(stop);
    }
    QWidget* previous = after;
    for (std::vector<Stop>& line : lines) {
        std::stable_sort(line.begin(), line.end(), [](const Stop& a, const Stop& b) { return a.place.left() < b.place.left(); });
        for (const Stop& stop : line) {
            if (previous != nullptr) QWidget::setTabOrder(previous, stop.widget);
            previous = stop.widget;
        }
    }
    return previous;
}

namespace {

class EnterActivates : public QObject {
public:
    explicit EnterActivates(QAbstractItemView* list) : QObject(list), list_(list) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        const QModelIndex line = list_->currentIndex();
        if (!line.isValid()) return false;
        emit list_->doubleClicked(line);
        return true;
    }

private:
    QAbstractItemView* list_;
};

}  // namespace

void ActivateOnEnter(QAbstractItemView* list) { list->installEventFilter(new EnterActivates(list)); }

void FocusLine(QAbstractItemView* list, int row) {
    QAbstractItemModel* model = list->model();
    if (model != nullptr && row >= 0 && row < model->rowCount(list->rootIndex())) {
        const QModelIndex line = model->index(row, 0, list->rootIndex());
        list->setCurrentIndex(line);
        list->scrollTo(line);
    }
    list->setFocus(Qt::OtherFocusReason);
}

void InstallAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(ControlAccessibleFactory);
    qApp->installEventFilter(new CaptionNamer(qApp));
}

void NameFieldsByCaptions(QWidget* window) {
    // A button that shows only a picture, or only signs such as "...", is named by its hint.
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        const bool ours = button->property(kNamedByCaption).toBool();
        if (!button->accessibleName().isEmpty() && !ours) continue;
        if (SaysSomething(button->text()) || button->toolTip().isEmpty()) {
            // A caption that came since (a dictionary's) names the button again.
            if (ours) button->setAccessibleName(QString());
            continue;
        }
        button->setAccessibleName(button->toolTip());
        button->setProperty(kNamedByCaption, true);
    }
    QList<QLabel*> captions;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        const auto* pressable = qobject_cast<TPressableText*>(label);
        if ((pressable != nullptr && pressable->Pressable()) || label->text().trimmed().isEmpty()) continue;
        if (InsideField(label, window)) continue;
        captions.append(label);
    }
    // A check box just left of a field on its line is that field's caption ("Проверять
    // пароль" and the password beside it); one above it belongs to its own line.
    QList<QCheckBox*> boxes;
    for (QCheckBox* box : window->findChildren<QCheckBox*>()) {
        if (!box->text().trimmed().isEmpty() && !InsideField(box, window)) boxes.append(box);
    }
    for (QWidget* field : window->findChildren<QWidget*>()) {
        if (!IsField(field) || InsideField(field, window)) continue;
        const bool ours = field->property(kNamedByCaption).toBool();
        if (!field->accessibleName().isEmpty() && !ours) continue;
        const QRect place = RectIn(field, window);
        QWidget* best = nullptr;
        QString bestText;
        int bestDistance = 0;
        const auto consider = [&](QWidget* caption, const QString& text, bool leftOnly) {
            if (!SharesPanel(caption, field)) return;
            const std::optional<int> distance = CaptionDistance(RectIn(caption, window), place, leftOnly);
            if (distance && (best == nullptr || *distance < bestDistance)) {
                best = caption;
                bestText = text;
                bestDistance = *distance;
            }
        };
        for (QLabel* caption : captions) consider(caption, caption->text(), false);
        for (QCheckBox* box : boxes) consider(box, box->text(), true);
        if (best == nullptr) continue;
        // A buddy gives screen readers the "labelled by" link as well.
        auto* label = qobject_cast<QLabel*>(best);
        if (label != nullptr && label->parentWidget() == field->parentWidget() && label->buddy() == nullptr) {
            label->setBuddy(field);
        }
        field->setAccessibleName(bestText.simplified());
        field->setProperty(kNamedByCaption, true);
    }
    // The edit line of a drop-down shows as a text of its own: it carries the drop-down's name.
    for (QComboBox* box : window->findChildren<QComboBox*>()) {
        QLineEdit* line = box->lineEdit();
        if (line == nullptr || (!line->accessibleName().isEmpty() && !line->property(kNamedByCaption).toBool())) {
            continue;
        }
        line->setAccessibleName(box->accessibleName());
        line->setProperty(kNamedByCaption, true);
    }
}

}  // namespace pomix
