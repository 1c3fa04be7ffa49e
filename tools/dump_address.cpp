#include "core/addressbook/address.h"
#include "core/exchange/records_csv.h"
#include "dump_kinds.h"

namespace pomix::tool {

dataio::RecordTable AddressTable(const std::string& path) {
    AddressList list;
    ReadDataFile(path, kAddressStreamName, [&](Stream& s) { ReadAddressList(s, list); });
    return dataio::TableOf(list, dataio::DescribeContact,
                           Contact("", "", "", 0, "", "", "", "", "", {}, kNoCategory));
}

}  // namespace pomix::tool
