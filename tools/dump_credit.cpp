#include "debts/credit.h"
#include "dump_kinds.h"
#include "json.h"

namespace pomix::tool {

void DumpCredit(const std::string& path, std::ostream& out) {
    CreditList list;
    ReadDataFile(path, kCreditStreamName, [&](Stream& s) { ReadCreditList(s, list); });
    std::vector<std::string> objects;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TCreditNote& debt = list[i];
        objects.push_back(JsonObject()
                              .Integer("Kind", debt.Kind)
                              .Text("FistName", debt.FistName)
                              .Text("Name", debt.Name)
                              .Number("CreateDate", debt.CreateDate)
                              .Number("ReturnDate", debt.ReturnDate)
                              .Str());
    }
    PrintArray(out, objects);
}

}  // namespace pomix::tool
