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
    : ListModel(container, std::move(fileName), kCreditStreamName, WriteCreditList) {}

EarlyRead DebtBook::EarlyReadIn(const std::string& dataDir) {
    return MakeEarlyRead<DebtsLoad>(dataDir + kCreditFileName, kCreditStreamName);
}

std::optional<SectionModel::Load> DebtBook::MakeLoad() { return ReadBeside<DebtsLoad>(); }

std::uint64_t DebtBook::Add(TCreditNote debt) {
    list_.Add(std::move(debt));
    Changed();
    return list_.SerialAt(list_.Count() - 1);
}

bool DebtBook::Change(std::uint64_t serial, std::string debtor, std::string subject, DateTime due) {
    TCreditNote* debt = list_.BySerial(serial);
    if (!debt) return false;
    debt->Person = std::move(debtor);
    debt->Name = std::move(subject);
    debt->ReturnDate = due;
    Changed();
    return true;
}

bool DebtBook::Sort(int tag) {
    if (!SortedCreditList(list_, tag)) return false;
    Changed();
    return true;
}

}  // namespace pomix
