// TForm7: the settings section window, hosted in the main window's display area.
#pragma once

#include "ui/section_window.h"

namespace pomix {

class TForm7 : public TSectionWindow {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
};

}  // namespace pomix
