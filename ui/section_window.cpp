#include "ui/section_window.h"

#include <QCloseEvent>
#include <QShowEvent>

#include "ui/message.h"

namespace pomix {

TSectionWindow::TSectionWindow(int recolourIndex, std::string dictionarySection,
                               std::vector<std::string> items, QWidget* parent)
    : QWidget(parent), binding_(this, recolourIndex, std::move(dictionarySection), std::move(items)) {
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void TSectionWindow::CloseForm() {
    FormClose();
    binding_.WriteDictionary();
    hide();
}

void TSectionWindow::ReInit() { binding_.ApplyColours(); }

void TSectionWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    binding_.ReadDictionary();
    ReInit();
}

void TSectionWindow::closeEvent(QCloseEvent* event) {
    // Only the shutdown closes a section window; any other close request is routed through
    // the same steps so nothing is skipped.
    try {
        CloseForm();
        event->accept();
    } catch (const std::exception& e) {
        ShowError(e.what());
        event->ignore();
    }
}

}  // namespace pomix
