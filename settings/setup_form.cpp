#include "settings/setup_form.h"

#include "settings/program_files.h"

namespace pomix {

TForm7::TForm7(QWidget* parent)
    : TSectionWindow(kRecolourSettings, "SetupForm", {}, parent) {
    setObjectName("Form7");
    binding_.BindDictionary();
}

}  // namespace pomix
