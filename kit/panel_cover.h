// A panel laid over a window's view (an editor, a search, a statistics page) covers the
// controls it stands in front of while it shows: from the panel's show() to its hide() they
// cannot be clicked, are out of the Tab order, and afterwards come back as they were.
//
// An editor covers the list beside it and the commands on that list, so that what it edits
// cannot change under it: it keeps the record it was opened on until Save or Cancel.
//
//   CoverWhileShown(editPanel, {contactList, editButton, deleteButton, searchButton});
//
// Covering counts per control: one covered by two panels comes back when both have hidden.
// While a control is covered, leave its enabled state (or, for Hide, its visibility) alone:
// the state it had before is what comes back.
#pragma once

#include <QWidget>
#include <vector>

namespace pomix {

enum class CoverKind {
    Disable,  // covered controls are disabled: greyed where they show beside the panel
    Hide,     // covered controls are hidden: for a view lying wholly under the panel
};

// Watches panel's own show() and hide() (not those of its window): a section switched away
// and back keeps its panels' covers. A panel already shown covers at once.
void CoverWhileShown(QWidget* panel, std::vector<QWidget*> covered,
                     CoverKind kind = CoverKind::Disable);

// Covers, each time the panel shows, whatever of its window's view stands under it then: the
// panel's shown siblings that its area overlaps. For panels laid over a part of the view whose
// contents change (details, links that show only when filled).
void CoverWhatLiesUnder(QWidget* panel);

// Whether some shown panel covers control now.
bool IsCovered(const QWidget* control);

}  // namespace pomix
