#include "catalog/catalog_form.h"

#include "settings/program_files.h"

namespace pomix {

TCatalogForm::TCatalogForm(StreamContainer& container, QWidget* parent)
    : TSectionWindow(kRecolourCatalog, "CatalogForm", {}, parent), container_(container) {
    setObjectName("CatalogForm");
    binding_.BindDictionary();
}

}  // namespace pomix
