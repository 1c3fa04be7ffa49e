// TCalendarForm: the daily planner section window, hosted in the main window's display area.
#pragma once

#include "storage/stream_container.h"
#include "ui/section_window.h"

namespace pomix {

class TCalendarForm : public TSectionWindow {
    Q_OBJECT
public:
    explicit TCalendarForm(StreamContainer& container, QWidget* parent = nullptr);

private:
    StreamContainer& container_;  // the main window's, shared by every data file
};

}  // namespace pomix
