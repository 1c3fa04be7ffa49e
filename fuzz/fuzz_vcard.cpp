// The vCard reader takes any bytes: it refuses them with FormatError or reads contacts, never
// reads out of bounds or runs away. What it reads, written out and read again, settles after
// one round: a second round gives the same contacts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exchange/content_line.h"
#include "core/exchange/vcard.h"

namespace {

pomix::AddressList ListOf(const std::vector<pomix::Contact>& records) {
    pomix::AddressList list;
    for (const pomix::Contact& r : records) list.Add(r);
    return list;
}

bool Same(const pomix::Contact& a, const pomix::Contact& b) {
    return a.Surname == b.Surname && a.FirstName == b.FirstName && a.Patronymic == b.Patronymic &&
           a.Date == b.Date && a.Address == b.Address && a.Tel1 == b.Tel1 && a.Tel2 == b.Tel2 &&
           a.Email == b.Email && a.URL == b.URL && a.Note == b.Note && a.Category == b.Category;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    pomix::dataio::ImportResult<pomix::Contact> first;
    try {
        first = pomix::dataio::ReadVCards(text);
    } catch (const pomix::dataio::FormatError&) {
        return 0;
    }
    // Written by the program, the text always reads.
    const auto second =
        pomix::dataio::ReadVCards(pomix::dataio::WriteVCards(ListOf(first.Records)));
    const auto third =
        pomix::dataio::ReadVCards(pomix::dataio::WriteVCards(ListOf(second.Records)));
    if (second.Records.size() != first.Records.size() ||
        third.Records.size() != second.Records.size()) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < second.Records.size(); ++i) {
        if (!Same(second.Records[i], third.Records[i])) __builtin_trap();
    }
    return 0;
}
