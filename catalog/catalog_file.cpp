// Reading and writing the section's data file through the shared section file.
#include "catalog/catalog.h"

namespace pomix {

bool LoadCatalogList(SectionFile& file, CatalogList& list) {
    list.Clear();
    return file.Load([&list](Stream& stream) { ReadCatalogList(stream, list); });
}

void SaveCatalogList(SectionFile& file, const CatalogList& list, bool modified) {
    if (!modified) return;
    file.Save([&list](Stream& stream) { WriteCatalogList(list, stream); });
}

}  // namespace pomix
