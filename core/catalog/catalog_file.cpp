// Reading and writing the section's data file through the shared section file.
#include "core/catalog/catalog.h"

namespace pomix {

bool LoadCatalogList(SectionFile& file, CatalogList& list) {
    return file.LoadList(list, ReadCatalogList);
}

void SaveCatalogList(SectionFile& file, const CatalogList& list, bool modified) {
    file.SaveList(list, modified, WriteCatalogList);
}

}  // namespace pomix
