#include "addressbook/address.h"

#include <cstdint>

#include "storage/locale.h"
#include "storage/text.h"

namespace pomix {
namespace {

TAddress ReadAddress(Stream& stream) {
    std::string famile = ReadStr(stream);
    std::string fistName = ReadStr(stream);
    std::string lastName = ReadStr(stream);
    const auto date = stream.ReadValue<double>();
    std::string address = ReadStr(stream);
    std::string tel1 = ReadStr(stream);
    std::string tel2 = ReadStr(stream);
    std::string email = ReadStr(stream);
    std::string url = ReadStr(stream);
    StrList note = ReadStrList(stream);
    const auto category = stream.ReadValue<std::uint8_t>();
    return TAddress(std::move(famile), std::move(fistName), std::move(lastName), date,
                    std::move(address), std::move(tel1), std::move(tel2), std::move(email),
                    std::move(url), std::move(note), category);
}

void WriteAddress(const TAddress& r, Stream& stream) {
    WriteStr(r.Famile, stream);
    WriteStr(r.FistName, stream);
    WriteStr(r.LastName, stream);
    stream.WriteValue<double>(r.Date);
    WriteStr(r.Address, stream);
    WriteStr(r.Tel1, stream);
    WriteStr(r.Tel2, stream);
    WriteStr(r.Email, stream);
    WriteStr(r.URL, stream);
    WriteStrList(r.Note, stream);
    stream.WriteValue<std::uint8_t>(r.Category);
}

}  // namespace

void ReadAddressList(Stream& stream, AddressList& list) {
    const auto count = stream.ReadValue<std::int32_t>();
    // No reservation by the count: a damaged count must not allocate; the stream's end stops us.
    for (std::int32_t i = 0; i < count; ++i) list.Add(ReadAddress(stream));
}

void WriteAddressList(const AddressList& list, Stream& stream) {
    stream.WriteValue<std::int32_t>(static_cast<std::int32_t>(list.Count()));
    for (std::size_t i = 0; i < list.Count(); ++i) WriteAddress(list[i], stream);
}

std::string ShortName(const TAddress& record) {
    return ShortName(record.Famile, record.FistName, record.LastName);
}

std::vector<ListLine> UpDateListBox(AddressList& list, int category) {
    list.Reindex();
    std::vector<ListLine> lines;
    lines.reserve(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (category == kAllCategories || list[i].Category == category) {
            lines.push_back(list.LineFor(i, ShortName(list[i])));
        }
    }
    SortLines(lines);
    return lines;
}

std::string LongBirthDate(DateTime date) {
    DateParts parts;
    if (!TryDecodeDate(date, parts)) return {};
    std::string text = CurrentLocale().LongDateNoWeekday(date);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

bool RecordFound(const TAddress& r, const std::string& pattern) {
    for (const std::string* field : {&r.Famile, &r.LastName, &r.Address, &r.Tel1, &r.Tel2}) {
        if (WildMatch(*field, pattern, true)) return true;
    }
    if (WildMatch(LongBirthDate(r.Date), pattern, true)) return true;
    if (WildMatch(r.Email, pattern, true) || WildMatch(r.URL, pattern, true)) return true;
    return LinesMatch(r.Note, pattern);
}

std::vector<ListLine> RecordFound(const AddressList& list, const std::string& pattern) {
    std::vector<ListLine> lines;
    if (pattern.empty()) return lines;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (RecordFound(list[i], pattern)) lines.push_back(list.LineFor(i, ShortName(list[i])));
    }
    SortLines(lines);
    return lines;
}

}  // namespace pomix
