#include "catalog/catalog.h"
#include "dump_kinds.h"
#include "json.h"

namespace pomix::tool {

void DumpCatalog(const std::string& path, std::ostream& out) {
    CatalogList list;
    ReadDataFile(path, kCatalogStreamName, [&](Stream& s) { ReadCatalogList(s, list); });
    std::vector<std::string> objects;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        objects.push_back(JsonObject()
                              .Integer("Category", list[i].Category)
                              .Text("Name", list[i].Name)
                              .Lines("Memo", list[i].Memo)
                              .Str());
    }
    PrintArray(out, objects);
}

}  // namespace pomix::tool
