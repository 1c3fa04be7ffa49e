// Keyboard and screen-reader access to the windows.
//
// The section buttons, tabs and other clickable static texts are labels to Qt. Once their
// click is connected they take the keyboard focus in the Tab order, Space and Enter press
// them (kit/controls.cpp), and assistive technology sees them as buttons named by their
// caption with a press action, instead of as plain text. Fields take their accessible name
// from their caption: the label to their left on the same line, or just above them.
#pragma once

#include <QString>

class QAbstractItemView;
class QAccessibleInterface;
class QDate;
class QWidget;

namespace pomix {

// Registers the accessible view of the clickable static texts and names every window's
// fields by their captions as the window is first shown. Once, after the application exists.
void InstallAccessibility();
// The property that makes a page hosted inside another window (a section window) named as a
// window of its own when it shows.
inline constexpr char kNamedAsWindow[] = "pomixNamedAsWindow";

// Gives every field under window that has no accessible name yet the text of its caption,
// where one can be found: a label to its left on the same line or just above it. A sibling
// label becomes the field's buddy. A button showing only a picture
// or signs ("...") is named by its hint.
// Run again (each show does), it renews the names it gave, after a dictionary change.
void NameFieldsByCaptions(QWidget* window);

// Chains the Tab order of the controls inside panel as they are read: line by line from the
// top, left to right on a line. A control's own parts (a drop-down's edit line) stay with it.
// With after, the panel's first control follows it. Returns the last control chained (after
// when the panel has none).
QWidget* SetReadingTabOrder(QWidget* panel, QWidget* after = nullptr);

// Makes row the current line of a list, scrolled into view, and gives the list the focus: where
// the user goes on after a save or a delete. With row outside the list no line is made current.
void FocusLine(QAbstractItemView* list, int row);

// Enter on a list's current line does what a double click on it does (edit it, jump to it):
// a keyboard user has no double click.
void ActivateOnEnter(QAbstractItemView* list);

// A date as a listener hears it, in the interface language: "вторник, 8 декабря 2026".
QString SpokenDate(const QDate& day);
// A weekday's full name in the interface language, Monday 1 to Sunday 7.
QString WeekdayName(int weekday);

class TMonthGrid;
// The month grid's table of days (kit/month_grid_accessible.cpp).
QAccessibleInterface* NewMonthGridAccessible(TMonthGrid* grid);

}  // namespace pomix
