#include "core/debts/credit.h"
#include "dump_kinds.h"

namespace pomix::tool {

dataio::RecordTable CreditTable(const std::string& path) {
    CreditList list;
    ReadDataFile(path, kCreditStreamName, [&](Stream& s) { ReadCreditList(s, list); });
    return dataio::TableOf(
        list,
        [](const TCreditNote& debt, dataio::Row& row) {
            row.Integer("Kind", debt.Kind)
                .Text("FistName", debt.Person)
                .Text("Name", debt.Name)
                .Moment("CreateDate", debt.CreateDate)
                .Day("ReturnDate", debt.ReturnDate);
        },
        TCreditNote(0, "", "", 0, 0));
}

}  // namespace pomix::tool
