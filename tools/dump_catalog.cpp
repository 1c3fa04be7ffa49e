#include "core/catalog/catalog.h"
#include "dump_kinds.h"

namespace pomix::tool {

dataio::RecordTable CatalogTable(const std::string& path) {
    CatalogList list;
    ReadDataFile(path, kCatalogStreamName, [&](Stream& s) { ReadCatalogList(s, list); });
    return dataio::TableOf(
        list,
        [](const TCatalogNote& entry, dataio::Row& row) {
            row.Integer("Category", entry.Category)
                .Text("Name", entry.Name)
                .Lines("Memo", entry.Memo);
        },
        TCatalogNote(0, "", {}));
}

}  // namespace pomix::tool
