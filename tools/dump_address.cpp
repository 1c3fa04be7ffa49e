#include "addressbook/address.h"
#include "dump_kinds.h"

namespace pomix::tool {

RecordTable AddressTable(const std::string& path) {
    AddressList list;
    ReadDataFile(path, kAddressStreamName, [&](Stream& s) { ReadAddressList(s, list); });
    return TableOf(
        list,
        [](const TAddress& r, Row& row) {
            row.Text("Famile", r.Famile)
                .Text("FistName", r.FistName)
                .Text("LastName", r.LastName)
                .Day("Date", r.Date)
                .Text("Address", r.Address)
                .Text("Tel1", r.Tel1)
                .Text("Tel2", r.Tel2)
                .Text("Email", r.Email)
                .Text("URL", r.URL)
                .Lines("Note", r.Note)
                .Integer("Category", r.Category);
        },
        TAddress("", "", "", 0, "", "", "", "", "", {}, kNoCategory));
}

}  // namespace pomix::tool
