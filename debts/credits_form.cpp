#include "debts/credits_form.h"

#include "settings/program_files.h"

namespace pomix {

TCreditsForm::TCreditsForm(StreamContainer& container, QWidget* parent)
    : TSectionWindow(kRecolourDebts, "CreditsForm", {}, parent), container_(container) {
    setObjectName("CreditsForm");
    binding_.BindDictionary();
}

}  // namespace pomix
