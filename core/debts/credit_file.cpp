// Reading and writing the section's data file through the shared section file.
#include "core/debts/credit.h"

namespace pomix {

bool LoadCreditList(SectionFile& file, CreditList& list) {
    return file.LoadList(list, ReadCreditList);
}

void SaveCreditList(SectionFile& file, const CreditList& list, bool modified) {
    file.SaveList(list, modified, WriteCreditList);
}

}  // namespace pomix
