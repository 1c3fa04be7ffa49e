#include "core/debts/credit.h"
#include "dump_kinds.h"

namespace pomix::tool {

RecordTable CreditTable(const std::string& path) {
    CreditList list;
    ReadDataFile(path, kCreditStreamName, [&](Stream& s) { ReadCreditList(s, list); });
    return TableOf(
        list,
        [](const TCreditNote& debt, Row& row) {
            row.Integer("Kind", debt.Kind)
                .Text("FistName", debt.FistName)
                .Text("Name", debt.Name)
                .Moment("CreateDate", debt.CreateDate)
                .Day("ReturnDate", debt.ReturnDate);
        },
        TCreditNote(0, "", "", 0, 0));
}

}  // namespace pomix::tool
