#include "core/catalog/catalog.h"
#include "dump_kinds.h"

namespace pomix::tool {

RecordTable CatalogTable(const std::string& path) {
    CatalogList list;
    ReadDataFile(path, kCatalogStreamName, [&](Stream& s) { ReadCatalogList(s, list); });
    return TableOf(
        list,
        [](const TCatalogNote& entry, Row& row) {
            row.Integer("Category", entry.Category)
                .Text("Name", entry.Name)
                .Lines("Memo", entry.Memo);
        },
        TCatalogNote(0, "", {}));
}

}  // namespace pomix::tool
