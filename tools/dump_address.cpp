#include "addressbook/address.h"
#include "dump_kinds.h"
#include "json.h"

namespace pomix::tool {

void DumpAddress(const std::string& path, std::ostream& out) {
    AddressList list;
    ReadDataFile(path, kAddressStreamName, [&](Stream& s) { ReadAddressList(s, list); });
    std::vector<std::string> objects;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TAddress& r = list[i];
        objects.push_back(JsonObject()
                              .Text("Famile", r.Famile)
                              .Text("FistName", r.FistName)
                              .Text("LastName", r.LastName)
                              .Number("Date", r.Date)
                              .Text("Address", r.Address)
                              .Text("Tel1", r.Tel1)
                              .Text("Tel2", r.Tel2)
                              .Text("Email", r.Email)
                              .Text("URL", r.URL)
                              .Lines("Note", r.Note)
                              .Integer("Category", r.Category)
                              .Str());
    }
    PrintArray(out, objects);
}

}  // namespace pomix::tool
