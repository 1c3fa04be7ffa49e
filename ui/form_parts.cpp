#include "ui/form_parts.h"

#include <QFontInfo>
#include <QFontMetrics>

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

QMenu* MakePopupMenu(QWidget* owner, const char* name, QAbstractScrollArea* list) {
    auto* menu = new QMenu(owner);
    menu->setObjectName(QString::fromLatin1(name));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    // A scroll area reports the click in its viewport's coordinates.
    QObject::connect(list, &QWidget::customContextMenuRequested, menu,
                     [menu, list](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
    return menu;
}

QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(U(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace pomix
