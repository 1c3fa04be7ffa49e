#include "kit/record_routine.h"

#include <QPushButton>
#include <algorithm>
#include <utility>

#include "kit/accessibility.h"
#include "kit/controls.h"
#include "kit/message.h"

namespace pomix {
TRecordRoutine::TRecordRoutine(QObject* owner, Rows rows, const Parts& parts, Steps steps)
    : QObject(owner), rows_(std::move(rows)), parts_(parts), steps_(std::move(steps)) {
    ActivateOnEnter(rows_.view);
    const Editor& editor = parts_.editor;
    const Search& search = parts_.searchPanel;
    using Run = void (TRecordRoutine::*)();
    const std::pair<Command, Run> commands[] = {
        {parts_.add, &TRecordRoutine::Add}, {parts_.edit, &TRecordRoutine::Edit},
        {parts_.remove, &TRecordRoutine::Delete}, {parts_.search, &TRecordRoutine::OpenSearch},
        {{nullptr, editor.save}, &TRecordRoutine::Save},
        {{nullptr, editor.cancel}, &TRecordRoutine::Cancel},
        {{nullptr, search.find}, &TRecordRoutine::Find},
        {{nullptr, search.close}, &TRecordRoutine::CloseSearch},
        {{nullptr, search.clearPattern}, &TRecordRoutine::ClearSearchText},
        {{nullptr, search.listAll}, &TRecordRoutine::ClearSearchResults}};
    for (const auto& [command, run] : commands) {
        if (command.item) connect(command.item, &QAction::triggered, this, run);
        if (command.button) connect(command.button, &QPushButton::clicked, this, run);
    }
    if (search.pattern) connect(search.pattern, &QLineEdit::returnPressed, this, &TRecordRoutine::Find);
}

void TRecordRoutine::OpenEditor(bool adding) {
    *parts_.editor.adding = adding;
    steps_.fill(adding);
    parts_.editor.panel->show();
    parts_.editor.panel->raise();
    parts_.editor.first->setFocus();
}

void TRecordRoutine::Add() {
    OpenEditor(true);
}

void TRecordRoutine::Edit() {
    if (steps_.selected()) OpenEditor(false);
}

void TRecordRoutine::Save() {
    const std::optional<int> row = steps_.save();
    if (!row) return;
    parts_.editor.panel->hide();
    FocusLine(rows_.view, *row);
}

void TRecordRoutine::Cancel() {
    parts_.editor.panel->hide();
    FocusLine(rows_.view, rows_.current());
}

void TRecordRoutine::Delete() {
    if (!steps_.selected()) return;
    const int asked = rows_.current();
    if (!DeleteConfirmed()) return;
    const int row = steps_.remove(asked);
    // The next line takes the deleted one's place; after the last, the one before it.
    FocusLine(rows_.view, std::min(row, rows_.count() - 1));
}

void TRecordRoutine::OpenSearch() {
    parts_.searchPanel.panel->show();
    parts_.searchPanel.panel->raise();
    parts_.searchPanel.pattern->setFocus();
}

void TRecordRoutine::CloseSearch() {
    parts_.searchPanel.panel->hide();
    FocusLine(rows_.view, rows_.current());
}

void TRecordRoutine::ClearSearchText() {
    parts_.searchPanel.pattern->clear();
}

void TRecordRoutine::ClearSearchResults() {
    steps_.showAll();
}

void TRecordRoutine::Find() {
    const Search& search = parts_.searchPanel;
    const std::string pattern = search.pattern->Text();
    if (pattern.empty()) return;
    const auto checked = std::find_if(search.choices.begin(), search.choices.end(),
                                      [](const QAbstractButton* choice) { return choice->isChecked(); });
    steps_.find(pattern, checked == search.choices.end()
                             ? 0
                             : static_cast<int>(checked - search.choices.begin()));
}

}  // namespace pomix
