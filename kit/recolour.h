// Recolouring a window's controls by kind from the six colours of the settings, and hints.
//
//   gradient panel            WindowColor → AccentColor
//   static text, push button  AccentColor,  text ButtonTextColor
//   panel                     WindowColor
//   label, check box, radio   WindowColor,  text LabelTextColor
//   edit, masked edit, memo,
//   drop-down list            EditColor,    text EditTextColor
//   list                      EditColor,    text EditTextColor, selected line AccentColor
//
// A window walks its own controls only, never those of a window hosted inside it.
#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

#include "core/settings/settings_record.h"

namespace pomix {

// Marks widget as a window of its own: the walks of an enclosing window stop at it.
void MarkAsWindow(QWidget* widget);
bool IsWindowMark(const QObject* object);

// Visits every object below window (widgets, actions …), not entering windows hosted in it.
void ForEachControl(QObject* window, const std::function<void(QObject*)>& visit);
QObject* FindControl(QObject* window, const QString& name);
template <class Control>
Control* FindControl(QObject* window, const QString& name) {
    return qobject_cast<Control*>(FindControl(window, name));
}

// Keeps a control out of recolouring: it keeps the colours the window gives it.
void KeepOwnColours(QWidget* control);

void RecolourControls(QWidget* window, const TSettingsRecord& settings);

// Pop-up hints of window's controls on or off.
void SetHintsShown(QWidget* window, bool shown);
bool HintsShown(const QWidget* control);

// The RecolourPending guard: when entry index is set, switches hints by ShowHints, recolours
// window's controls, runs extra (the window's own colouring), clears the entry and returns
// true; otherwise does nothing and returns false.
bool ApplyColoursOnce(int index, QWidget* window, const std::function<void()>& extra = {});

// The main window registers its own recolouring; the settings window runs it after applying
// new settings, so the main window changes at once (an empty handler unregisters).
void SetMainWindowRecolour(std::function<void()> recolour);
void RecolourMainWindow();

}  // namespace pomix
