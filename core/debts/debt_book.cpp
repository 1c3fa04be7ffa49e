#include "core/debts/debt_book.h"

#include <utility>

namespace pomix {
namespace {

struct DebtsLoad : ListLoad<CreditList> {
    using ListLoad::ListLoad;
    void Read() { LoadCreditList(file, list); }
};

}  // namespace

DebtBook::DebtBook(StreamContainer& container, std::string fileName)
    : file_(container, std::move(fileName), kCreditStreamName) {}

EarlyRead DebtBook::EarlyReadIn(const std::string& dataDir) {
    return MakeEarlyRead<DebtsLoad>(dataDir + kCreditFileName, kCreditStreamName);
}

std::optional<SectionModel::Load> DebtBook::MakeLoad() {
    auto load = std::make_shared<DebtsLoad>(file_);
    return SectionModel::Load{[load] { ReadOrTakeEarly(*load); },
                              [this, load] {
                                  credits_ = std::move(load->list);
                                  file_.AdoptLoad(load->file);
                                  ClearChanged();
                                  Notify(Change::Loaded);
                              }};
}

void DebtBook::Save() {
    SaveCreditList(file_, credits_, Modified());
    ClearChanged();
}

std::shared_ptr<FileImage> DebtBook::ImageOfRecords() {
    return file_.TakeListImage(credits_, WriteCreditList);
}

std::uint64_t DebtBook::Add(TCreditNote debt) {
    credits_.Add(std::move(debt));
    MarkChanged();
    return credits_.SerialAt(credits_.Count() - 1);
}

bool DebtBook::Change(std::uint64_t serial, std::string debtor, std::string subject, DateTime due) {
    TCreditNote* debt = credits_.BySerial(serial);
    if (!debt) return false;
    debt->FistName = std::move(debtor);
    debt->Name = std::move(subject);
    debt->ReturnDate = due;
    MarkChanged();
    return true;
}

bool DebtBook::Delete(std::uint64_t serial) {
    const std::optional<std::size_t> index = credits_.FindSerial(serial);
    if (!index) return false;
    credits_.Delete(*index);
    MarkChanged();
    return true;
}

bool DebtBook::Sort(int tag) {
    if (!SortedCreditList(credits_, tag)) return false;
    MarkChanged();
    return true;
}

}  // namespace pomix
