#include "addressbook/abook_form.h"

#include "settings/program_files.h"

namespace pomix {

TABookForm::TABookForm(StreamContainer& container, QWidget* parent)
    : TSectionWindow(kRecolourAddressBook, "AddressBookForm", {}, parent), container_(container) {
    setObjectName("ABookForm");
    binding_.BindDictionary();
}

}  // namespace pomix
