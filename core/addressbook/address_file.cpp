// Reading and writing the section's data file through the shared section file.
#include "core/addressbook/address.h"

namespace pomix {

bool LoadAddressList(SectionFile& file, AddressList& list) {
    return file.LoadList(list, ReadAddressList);
}

void SaveAddressList(SectionFile& file, const AddressList& list, bool modified) {
    file.SaveList(list, modified, WriteAddressList);
}

}  // namespace pomix
