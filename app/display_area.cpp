#include "app/display_area.h"

#include <QResizeEvent>

namespace pomix {

TDisplayArea::TDisplayArea(QWidget* parent)
    : QWidget(parent), background_(new TGradientPanel(this)) {
    background_->setObjectName("GradientPanel2");
}

void TDisplayArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    background_->setGeometry(rect());
}

void TDisplayArea::Add(TSectionWindow* window) {
    window->setParent(this);
    window->hide();
    window->setFocusPolicy(Qt::NoFocus);
    windows_.push_back(window);
}

TSectionWindow* TDisplayArea::Window(int index) const {
    return index >= 0 && index < Count() ? windows_[static_cast<std::size_t>(index)] : nullptr;
}

TSectionWindow* TDisplayArea::Replace(int index, TSectionWindow* window) {
    TSectionWindow* old = Window(index);
    if (!old) return nullptr;
    old->hide();
    window->setParent(this);
    window->hide();
    window->setFocusPolicy(Qt::NoFocus);
    windows_[static_cast<std::size_t>(index)] = window;
    if (index == shown_) {
        shown_ = -1;
        ShowWindow(index);
    }
    return old;
}

void TDisplayArea::HideShown() {
    if (TSectionWindow* current = Window(shown_)) current->hide();
    shown_ = -1;
}

void TDisplayArea::ShowWindow(int index) {
    TSectionWindow* window = Window(index);
    if (!window || index == shown_) return;
    if (TSectionWindow* current = Window(shown_)) current->hide();
    shown_ = index;
    window->move((width() - window->width()) / 2, (height() - window->height()) / 2);
    window->raise();
    window->show();  // its show handler: dictionary, then ReInit
    window->setFocus();
}

}  // namespace pomix
