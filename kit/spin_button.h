// Up and down arrows beside a field (the planner's time field steps with them). Held down,
// an arrow repeats.
#pragma once

#include <QToolButton>
#include <QWidget>

namespace pomix {

class TSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TSpinButton(QWidget* parent = nullptr);
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void upClicked();
    void downClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace pomix
