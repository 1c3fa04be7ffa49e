// TABookForm: the address book section window, hosted in the main window's display area.
#pragma once

#include "storage/stream_container.h"
#include "ui/section_window.h"

namespace pomix {

class TABookForm : public TSectionWindow {
    Q_OBJECT
public:
    explicit TABookForm(StreamContainer& container, QWidget* parent = nullptr);

private:
    StreamContainer& container_;  // the main window's, shared by every data file
};

}  // namespace pomix
