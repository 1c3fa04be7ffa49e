// The debt book's model: the debts and their file, shared by the window and the program's
// services (the saves, a copy put back).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/debts/credit.h"
#include "core/debts/statistics.h"
#include "core/model/list_model.h"

namespace pomix {

class DebtBook : public ListModel<CreditList> {
public:
    DebtBook(StreamContainer& container, std::string fileName);

    const CreditList& Credits() const { return list_; }

    std::optional<SectionModel::Load> MakeLoad() override;
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    // The debts of one kind in the list's order (UpDateListBox): renumbers the debts.
    std::vector<ListLine> Lines(int kind) { return UpDateListBox(list_, kind); }
    DebtTotals Totals() const { return CreditTotals(list_); }

    // The serial number of the debt added.
    std::uint64_t Add(TCreditNote debt);
    // The debtor, the subject and the due day of a debt; its kind and entry moment stay.
    // False, with nothing changed, when the debt is gone.
    bool Change(std::uint64_t serial, std::string debtor, std::string subject, DateTime due);
    // A column tab's sort of the whole list (SortedCreditList): false, with nothing changed,
    // for a tag that sorts nothing.
    bool Sort(int tag);
};

}  // namespace pomix
