// Reading and writing the section's data file through the shared section file.
#include "debts/credit.h"

namespace pomix {

bool LoadCreditList(SectionFile& file, CreditList& list) {
    list.Clear();
    return file.Load([&list](Stream& stream) { ReadCreditList(stream, list); });
}

void SaveCreditList(SectionFile& file, const CreditList& list, bool modified) {
    if (!modified) return;
    file.Save([&list](Stream& stream) { WriteCreditList(list, stream); });
}

}  // namespace pomix
