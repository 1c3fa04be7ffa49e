// Reading and writing the section's data file through the shared section file.
#include "addressbook/address.h"

namespace pomix {

bool LoadAddressList(SectionFile& file, AddressList& list) {
    list.Clear();
    return file.Load([&list](Stream& stream) { ReadAddressList(stream, list); });
}

void SaveAddressList(SectionFile& file, const AddressList& list, bool modified) {
    if (!modified) return;
    file.Save([&list](Stream& stream) { WriteAddressList(list, stream); });
}

}  // namespace pomix
