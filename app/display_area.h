// The main window's display area: it hosts the six section windows over a gradient panel and
// shows at most one of them at a time.
#pragma once

#include <vector>

#include "kit/controls.h"
#include "windows/section_window.h"

namespace pomix {

class TDisplayArea : public QWidget {
    Q_OBJECT
public:
    explicit TDisplayArea(QWidget* parent = nullptr);

    // Hosts window (hidden) at the next index.
    void Add(TSectionWindow* window);
    int Count() const { return static_cast<int>(windows_.size()); }
    TSectionWindow* Window(int index) const;
    // Hosts window in place of the one at index, which is returned (hidden, not deleted); the
    // new one is shown when the old one was.
    TSectionWindow* Replace(int index, TSectionWindow* window);
    // The index of the window on display, -1 while none is.
    int Shown() const { return shown_; }
    // Hides the window on display (without closing it) and shows window index, centred at
    // its designed size; nothing happens when it is already on display.
    void ShowWindow(int index);
    // Hides the window on display (without closing it): none is then on display.
    void HideShown();

    TGradientPanel* Background() const { return background_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TGradientPanel* background_;
    std::vector<TSectionWindow*> windows_;
    int shown_ = -1;
};

}  // namespace pomix
