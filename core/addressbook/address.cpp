#include "core/addressbook/address.h"

#include <algorithm>
#include <cstdint>

#include "storage/locale.h"
#include "storage/text.h"

namespace pomix {
namespace {

// The fields are read in their place in the list's record: no field is moved after it.
void ReadAddress(Stream& stream, Contact& r) {
    ReadStr(stream, r.Surname);
    ReadStr(stream, r.FirstName);
    ReadStr(stream, r.Patronymic);
    r.Date = stream.ReadValue<double>();
    ReadStr(stream, r.Address);
    ReadStr(stream, r.Tel1);
    ReadStr(stream, r.Tel2);
    ReadStr(stream, r.Email);
    ReadStr(stream, r.URL);
    ReadStrList(stream, r.Note);
    r.Category = stream.ReadValue<std::uint8_t>();
}

void WriteAddress(const Contact& r, Stream& stream) {
    WriteStr(r.Surname, stream);
    WriteStr(r.FirstName, stream);
    WriteStr(r.Patronymic, stream);
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
    // Eight empty texts (a length each), the date, an empty note list and the category.
    constexpr std::size_t kLeastRecordBytes = 8 * 4 + 8 + 4 + 1;
    list.Reserve(ReadableCount(count, stream, kLeastRecordBytes));
    for (std::int32_t i = 0; i < count; ++i) {
        Contact& record = list.Add(Contact({}, {}, {}, 0, {}, {}, {}, {}, {}, {}, 0));
        try {
            ReadAddress(stream, record);
        } catch (...) {
            list.Delete(list.Count() - 1);  // a record cut short is not kept
            throw;
        }
    }
}

void WriteAddressList(const AddressList& list, Stream& stream) {
    stream.WriteValue<std::int32_t>(static_cast<std::int32_t>(list.Count()));
    for (std::size_t i = 0; i < list.Count(); ++i) WriteAddress(list[i], stream);
}

std::string ShortName(const Contact& record) {
    return ShortName(record.Surname, record.FirstName, record.Patronymic);
}

std::vector<ListLine> UpDateListBox(AddressList& list, int category) {
    return *ContactLines().Category(list, category);
}

bool HasBirthDate(DateTime date) {
    DateParts parts;
    return date != 0 && TryDecodeDate(date, parts);
}

std::string LongBirthDate(DateTime date) {
    if (!HasBirthDate(date)) return {};
    std::string text = CurrentLocale().LongDateNoWeekday(date);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

namespace {

// The search's pattern, prepared once for every field of every record.
class FieldMatcher {
public:
    explicit FieldMatcher(const std::string& pattern) : pattern_(pattern, true) {}
    bool operator()(const std::string& field) const { return pattern_.Matches(field); }

private:
    WildPattern pattern_;
};

bool Matches(const Contact& r, const FieldMatcher& match) {
    for (const std::string* field : {&r.Surname, &r.Patronymic, &r.Address, &r.Tel1, &r.Tel2}) {
        if (match(*field)) return true;
    }
    if (match(LongBirthDate(r.Date))) return true;
    if (match(r.Email) || match(r.URL)) return true;
    return std::any_of(r.Note.begin(), r.Note.end(), [&match](const std::string& line) { return match(line); });
}

}  // namespace

bool RecordFound(const Contact& r, const std::string& pattern) {
    FieldMatcher match(pattern);
    return Matches(r, match);
}

std::vector<ListLine> RecordFound(const AddressList& list, const std::string& pattern) {
    std::vector<ListLine> lines;
    if (pattern.empty()) return lines;
    FieldMatcher match(pattern);
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (Matches(list[i], match)) lines.push_back(list.LineFor(i, ShortName(list[i])));
    }
    SortLines(lines);
    return lines;
}

const ContactLines::Shared& ContactLines::All(AddressList& list) {
    list.Reindex();
    if (stale_ || !all_ || all_->size() != list.Count()) {
        // A new vector: lines handed out before stay as they were.
        auto all = std::make_shared<std::vector<ListLine>>(list.Count());
        const auto names = [&list, &all](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i) (*all)[i] = list.LineFor(i, ShortName(list[i]));
        };
        if (list.Count() >= kSortSideBySide) {
            const std::size_t half = list.Count() / 2;
            SideBySide([&] { names(half, list.Count()); }, [&] { names(0, half); });
        } else {
            names(0, list.Count());
        }
        SortLines(*all);
        all_ = std::move(all);
        stale_ = false;
    }
    return all_;
}

namespace {

// The records are tested in list order, which walks memory in the order it was filled, and
// the lines then taken in display order.
template <class Test>
std::vector<ListLine> Filter(const std::vector<ListLine>& all, const AddressList& list, Test test) {
    std::vector<char> taken(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i) taken[i] = test(list[i]);
    std::vector<ListLine> lines;
    for (const ListLine& line : all) {
        if (taken[line.Index]) lines.push_back(line);
    }
    return lines;
}

}  // namespace

ContactLines::Shared ContactLines::Category(AddressList& list, int category) {
    const Shared& all = All(list);
    if (category == kAllCategories) return all;
    return std::make_shared<const std::vector<ListLine>>(
        Filter(*all, list, [category](const Contact& r) { return r.Category == category; }));
}

std::vector<ListLine> ContactLines::Found(AddressList& list, const std::string& pattern) {
    if (pattern.empty()) return {};
    const FieldMatcher match(pattern);
    return Filter(*All(list), list, [&match](const Contact& r) { return Matches(r, match); });
}

}  // namespace pomix
