#include "kit/form_parts.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>

namespace pomix {

TButton* MakeButton(QWidget* parent, const char* name, const QRect& at, const char* caption,
                    const char* hint) {
    auto* button = Make<TButton>(parent, name, at, U(caption));
    if (hint) button->setToolTip(U(hint));
    return button;
}

TStaticButton* MakeTab(QWidget* parent, const char* name, const QRect& at, const char* caption,
                       const char* hint, int tag) {
    auto* tab = Make<TStaticButton>(parent, name, at, U(caption));
    tab->setToolTip(U(hint));
    tab->Tag = tag;
    return tab;
}

void FitCaption(QLabel* label, int smallest) {
    // Room for the caption inside a one-pixel frame and a pixel of air on each side.
    const int room = label->width() - 4;
    QFont font = label->font();
    int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    while (size > smallest && QFontMetrics(font).horizontalAdvance(label->text()) > room) {
        font.setPixelSize(--size);
    }
    label->setFont(font);
}

namespace {

// Opens a list's pop-up menu from the keyboard: the Menu key or Shift+F10, at the current line
// with its first item active, so that the arrows and Enter go on from there.
class MenuKeys : public QObject {
public:
    MenuKeys(QMenu* menu, QAbstractScrollArea* list) : QObject(menu), menu_(menu), list_(list) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        const bool menuKey = key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier;
        if (!menuKey && !shiftF10) return false;
        QPoint at(0, 0);
        if (auto* view = qobject_cast<QAbstractItemView*>(list_)) {
            const QRect line = view->visualRect(view->currentIndex());
            if (line.isValid()) at = line.bottomLeft();
        }
        menu_->popup(list_->viewport()->mapToGlobal(at));
        for (QAction* action : menu_->actions()) {
            if (action->isEnabled() && action->isVisible() && !action->isSeparator()) {
                menu_->setActiveAction(action);
                break;
            }
        }
        return true;
    }

private:
    QMenu* menu_;
    QAbstractScrollArea* list_;
};

}  // namespace

QMenu* MakePopupMenu(QWidget* owner, const char* name, QAbstractScrollArea* list,
                     const char* accessibleName) {
    auto* menu = new QMenu(owner);
    menu->setObjectName(QString::fromLatin1(name));
    menu->setAccessibleName(U(accessibleName));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    // A scroll area reports the click in its viewport's coordinates.
    QObject::connect(list, &QWidget::customContextMenuRequested, menu,
                     [menu, list](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
    list->installEventFilter(new MenuKeys(menu, list));
    return menu;
}

QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(U(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace pomix
