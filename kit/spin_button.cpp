#include "kit/spin_button.h"

namespace pomix {

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setObjectName("UpButton");
    down_->setObjectName("DownButton");
    for (QToolButton* arrow : {up_, down_}) {
        arrow->setAutoRepeat(true);
        // The field beside keeps the focus and with it the caret the step depends on.
        arrow->setFocusPolicy(Qt::NoFocus);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, &TSpinButton::upClicked);
    connect(down_, &QToolButton::clicked, this, &TSpinButton::downClicked);
}

void TSpinButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace pomix
