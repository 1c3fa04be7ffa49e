// The address, catalog and debt streams read from any bytes: no read beyond the input, no
// allocation beyond what it can hold, and whatever they read, whole or up to the damage,
// writes back to bytes that read whole into the same records.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/addressbook/address.h"
#include "core/catalog/catalog.h"
#include "core/debts/credit.h"
#include "fuzz/round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    using pomix::fuzz::CheckRoundTrip;
    CheckRoundTrip<pomix::AddressList>(bytes, pomix::ReadAddressList, pomix::WriteAddressList);
    CheckRoundTrip<pomix::CatalogList>(bytes, pomix::ReadCatalogList, pomix::WriteCatalogList);
    CheckRoundTrip<pomix::CreditList>(bytes, pomix::ReadCreditList, pomix::WriteCreditList);
    return 0;
}
