// The debt book's model: the debts and their file, shared by the window and the program's
// services (the saves, a copy put back).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/debts/credit.h"
#include "core/debts/statistics.h"
#include "core/model/section_model.h"
#include "storage/early_reads.h"
#include "storage/stream_container.h"

namespace pomix {

class DebtBook : public SectionModel {
public:
    // fileName is DataDir + "Credit.dat"; the container is the program's shared one.
    DebtBook(StreamContainer& container, std::string fileName);

    const CreditList& Credits() const { return credits_; }
    SectionFile& File() { return file_; }
    const SectionFile& File() const { return file_; }
    SectionFile* DataFile() override { return &file_; }

    // The file's debts in place of the list (LoadNow, or MakeLoad beside the interface,
    // taking the start's early read where it is still current).
    std::optional<SectionModel::Load> MakeLoad() override;
    static EarlyRead EarlyReadIn(const std::string& dataDir);
    // Writes the file when the debts changed, then clears the mark. Storage errors pass to the
    // caller with the mark still set.
    void Save();

    // The debts of one kind in the list's order (UpDateListBox): renumbers the debts.
    std::vector<ListLine> Lines(int kind) { return UpDateListBox(credits_, kind); }
    DebtTotals Totals() const { return CreditTotals(credits_); }

    // The serial number of the debt added.
    std::uint64_t Add(TCreditNote debt);
    // The debtor, the subject and the due day of a debt; its kind and entry moment stay.
    // False, with nothing changed, when the debt is gone.
    bool Change(std::uint64_t serial, std::string debtor, std::string subject, DateTime due);
    bool Delete(std::uint64_t serial);
    // A column tab's sort of the whole list (SortedCreditList): false, with nothing changed,
    // for a tag that sorts nothing.
    bool Sort(int tag);

protected:
    std::shared_ptr<FileImage> ImageOfRecords() override;

private:
    SectionFile file_;
    CreditList credits_;
};

}  // namespace pomix
