// Builders every section window uses, so that a window's code reads as the list of its
// controls: each control gets its dictionary key as object name, its place, its caption and hint.
#pragma once

#include <QAbstractScrollArea>
#include <QAction>
#include <QMenu>
#include <QString>

#include "kit/controls.h"

namespace pomix {

// The windows' captions are written in the source as UTF-8.
inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

TButton* MakeButton(QWidget* parent, const char* name, const QRect& at, const char* caption,
                    const char* hint = nullptr);
TStaticButton* MakeTab(QWidget* parent, const char* name, const QRect& at, const char* caption,
                       const char* hint, int tag = 0);

// Makes a caption wider than its control fit: the font shrinks a pixel at a time, down to
// smallest, until the caption and a frame around it fit. A caption that fits keeps the font.
void FitCaption(QLabel* label, int smallest = 8);

// A text a window computes with rather than shows as it stands ("Сегодня" in the birthday
// list, the rouble word of the totals): a named object whose Caption a dictionary sets as any
// control's, so that it changes language with its window.
class TText : public QObject {
    Q_OBJECT
public:
    TText(QObject* parent, const char* name, const char* utf8) : QObject(parent), Text(U(utf8)) {
        setObjectName(QString::fromLatin1(name));
    }
    QString Text;
};

// A pop-up menu that opens where the list is right-clicked (or by the Menu key or Shift+F10);
// accessibleName is what a screen reader calls the menu (the window's dictionary may change it
// as "<name>.AccessibleName").
QMenu* MakePopupMenu(QWidget* owner, const char* name, QAbstractScrollArea* list,
                     const char* accessibleName);
QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption);
template <class Receiver>
QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption, Receiver* receiver,
                     void (Receiver::*handler)()) {
    QAction* action = AddMenuItem(menu, name, caption);
    QObject::connect(action, &QAction::triggered, receiver, handler);
    return action;
}

}  // namespace pomix
