#include "kit/record_routine.h"

#include <QPushButton>
#include <algorithm>

#include "kit/accessibility.h"
#include "kit/controls.h"
#include "kit/message.h"

namespace pomix {
namespace {

template <class Sender, class Signal, class Handler>
void ConnectIf(Sender* sender, Signal signal, TRecordRoutine* context, Handler handler) {
    if (sender) QObject::connect(sender, signal, context, handler);
}

}  // namespace

TRecordRoutine::TRecordRoutine(QObject* owner, Rows rows, const Parts& parts, Steps steps)
    : QObject(owner), rows_(std::move(rows)), parts_(parts), steps_(std::move(steps)) {
    ActivateOnEnter(rows_.view);
    ConnectIf(parts_.addItem, &QAction::triggered, this, &TRecordRoutine::Add);
    ConnectIf(parts_.editItem, &QAction::triggered, this, &TRecordRoutine::Edit);
    ConnectIf(parts_.deleteItem, &QAction::triggered, this, &TRecordRoutine::Delete);
    ConnectIf(parts_.searchItem, &QAction::triggered, this, &TRecordRoutine::OpenSearch);
    ConnectIf(parts_.addButton, &QPushButton::clicked, this, &TRecordRoutine::Add);
    ConnectIf(parts_.editButton, &QPushButton::clicked, this, &TRecordRoutine::Edit);
    ConnectIf(parts_.deleteButton, &QPushButton::clicked, this, &TRecordRoutine::Delete);
    ConnectIf(parts_.searchButton, &QPushButton::clicked, this, &TRecordRoutine::OpenSearch);
    ConnectIf(parts_.saveButton, &QPushButton::clicked, this, &TRecordRoutine::Save);
    ConnectIf(parts_.cancelButton, &QPushButton::clicked, this, &TRecordRoutine::Cancel);
    ConnectIf(parts_.findButton, &QPushButton::clicked, this, &TRecordRoutine::Find);
    ConnectIf(parts_.searchEdit, &QLineEdit::returnPressed, this, &TRecordRoutine::Find);
    ConnectIf(parts_.closeSearchButton, &QPushButton::clicked, this, &TRecordRoutine::CloseSearch);
    ConnectIf(parts_.clearSearchButton, &QPushButton::clicked, this,
              &TRecordRoutine::ClearSearchText);
    ConnectIf(parts_.clearResultsButton, &QPushButton::clicked, this,
              &TRecordRoutine::ClearSearchResults);
}

void TRecordRoutine::OpenEditor(bool adding) {
    steps_.fill(adding);
    parts_.editor->show();
    parts_.editor->raise();
    parts_.editorFirst->setFocus();
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
    parts_.editor->hide();
    FocusLine(rows_.view, *row);
}

void TRecordRoutine::Cancel() {
    parts_.editor->hide();
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
    parts_.search->show();
    parts_.search->raise();
    parts_.searchEdit->setFocus();
}

void TRecordRoutine::CloseSearch() {
    parts_.search->hide();
    FocusLine(rows_.view, rows_.current());
}

void TRecordRoutine::ClearSearchText() {
    parts_.searchEdit->clear();
}

void TRecordRoutine::ClearSearchResults() {
    steps_.showAll();
}

void TRecordRoutine::Find() {
    const std::string pattern = parts_.searchEdit->Text();
    if (!pattern.empty()) steps_.find(pattern);
}

}  // namespace pomix
