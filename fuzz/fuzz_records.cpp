// The address, catalog and debt streams read from any bytes: no read beyond the input, no
// allocation beyond what it can hold, and whatever reads whole writes back to the same bytes
// when its text fields were written the way the program writes them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "addressbook/address.h"
#include "catalog/catalog.h"
#include "catalog/playlist.h"
#include "debts/credit.h"
#include "debts/statistics.h"
#include "storage/errors.h"

namespace {

template <class List, class Read, class Write>
void RoundTrip(const std::string& bytes, Read read, Write write) {
    pomix::MemoryStream in(bytes);
    List list;
    try {
        read(in, list);
    } catch (const pomix::EStorageError&) {  // a short stream, or one the reader calls damaged
        return;
    }
    pomix::MemoryStream out;
    write(list, out);
    pomix::MemoryStream again(out.ToString());
    List reread;
    read(again, reread);  // what the program writes always reads back whole
    pomix::MemoryStream out2;
    write(reread, out2);
    if (out2.ToString() != out.ToString()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    RoundTrip<pomix::AddressList>(bytes, pomix::ReadAddressList, pomix::WriteAddressList);
    RoundTrip<pomix::CatalogList>(bytes, pomix::ReadCatalogList, pomix::WriteCatalogList);
    RoundTrip<pomix::CreditList>(bytes, pomix::ReadCreditList, pomix::WriteCreditList);
    pomix::PlaylistTitles(bytes);
    pomix::ParseAmount(bytes.substr(0, 200));
    return 0;
}
