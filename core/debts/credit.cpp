#include "core/debts/credit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "storage/errors.h"
#include "storage/locale.h"
#include "storage/text.h"

namespace pomix {

void ReadCreditList(Stream& stream, CreditList& list) {
    const auto count = stream.ReadValue<std::int32_t>();
    // The program never writes a negative count, and bytes after the last record belong to
    // nothing: either way the file is not what was saved, and it is kept rather than
    // overwritten by the next save.
    if (count < 0) throw ECorruptFile();
    // The kind, two empty texts and the two dates.
    list.Reserve(ReadableCount(count, stream, 4 + 4 + 4 + 8 + 8));
    for (std::int32_t i = 0; i < count; ++i) {
        const auto kind = stream.ReadValue<std::int32_t>();
        std::string person = ReadStr(stream);
        std::string name = ReadStr(stream);
        const auto createDate = stream.ReadValue<double>();
        const auto returnDate = stream.ReadValue<double>();
        list.Add(TCreditNote(kind, std::move(person), std::move(name), createDate, returnDate));
    }
    if (stream.Remaining() != 0) throw ECorruptFile();
}

void WriteCreditList(const CreditList& list, Stream& stream) {
    stream.WriteValue<std::int32_t>(static_cast<std::int32_t>(list.Count()));
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TCreditNote& debt = list[i];
        stream.WriteValue<std::int32_t>(debt.Kind);
        WriteStr(debt.Person, stream);
        WriteStr(debt.Name, stream);
        stream.WriteValue<double>(debt.CreateDate);
        stream.WriteValue<double>(debt.ReturnDate);
    }
}

std::string DaysLeftText(DateTime due, const std::string& overdueMark, DateTime now) {
    DateParts parts;
    if (!TryDecodeDate(due, parts)) return overdueMark;
    const double days = std::trunc(due) - std::trunc(now) + 1;
    if (!(days > 0)) return overdueMark;
    // At most the seven digits of the whole range of dates.
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", days);
    return text;
}

std::string DaysLeftText(DateTime due, const std::string& overdueMark) {
    return DaysLeftText(due, overdueMark, Now());
}

namespace {

std::string ShortDateOf(DateTime value) {
    DateParts parts;
    return TryDecodeDate(value, parts) ? CurrentLocale().ShortDate(value) : std::string();
}

// A total order on whole days; a due date that is not a number sorts first.
int CompareDays(double a, double b) {
    const bool nanA = std::isnan(a), nanB = std::isnan(b);
    if (nanA || nanB) return nanA == nanB ? 0 : (nanA ? -1 : 1);
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The quicksort of the column tabs, kept exactly so that equal keys end up where users have
// always seen them: the pivot key is taken once per pass from the middle position; both
// ends close in and swap; the left part is sorted apart and the right part continues the
// loop. The parts are disjoint, so sorting them from a work list instead of by recursion gives
// the same order without deep recursion on unlucky input.
template <class KeyOf, class Compare>
void CreditQuickSort(CreditList& list, KeyOf keyOf, Compare compare) {
    if (list.Count() < 2) return;
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> pending{
        {0, static_cast<std::ptrdiff_t>(list.Count()) - 1}};
    while (!pending.empty()) {
        auto [l, r] = pending.back();
        pending.pop_back();
        std::ptrdiff_t i = 0;
        do {
            i = l;
            std::ptrdiff_t j = r;
            const auto pivot = keyOf(list[static_cast<std::size_t>((l + r) / 2)]);
            do {
                while (i < r && compare(keyOf(list[static_cast<std::size_t>(i)]), pivot) < 0) ++i;
                while (j > l && compare(keyOf(list[static_cast<std::size_t>(j)]), pivot) > 0) --j;
                if (i <= j) {
                    if (i != j) list.Exchange(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (l < j) pending.emplace_back(l, j);
            l = i;
        } while (i < r);
    }
}

}  // namespace

std::vector<ListLine> UpDateListBox(CreditList& list, int kind) {
    list.Reindex();
    std::vector<ListLine> lines;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (list[i].Kind == kind) lines.push_back(list.LineFor(i, std::string()));
    }
    return lines;
}

std::array<std::string, 4> CreditCells(const TCreditNote& debt, const std::string& overdueMark,
                                       DateTime now) {
    return {debt.Person, debt.Name, ShortDateOf(debt.ReturnDate),
            DaysLeftText(debt.ReturnDate, overdueMark, now)};
}

bool SortedCreditList(CreditList& list, int tag) {
    const auto byText = [](const std::string& a, const std::string& b) {
        return CompareNoCase(a, b);
    };
    switch (tag) {
        case 1:
            CreditQuickSort(
                list, [](const TCreditNote& d) -> const std::string& { return d.Person; }, byText);
            return true;
        case 2:
            CreditQuickSort(
                list, [](const TCreditNote& d) -> const std::string& { return d.Name; }, byText);
            return true;
        case 3:
            CreditQuickSort(
                list, [](const TCreditNote& d) { return std::trunc(d.ReturnDate); }, CompareDays);
            return true;
        default:
            return false;
    }
}

StrList DebtorNames(const AddressList& addresses) {
    StrList names;
    names.reserve(addresses.Count());
    for (std::size_t i = 0; i < addresses.Count(); ++i) names.push_back(ShortName(addresses[i]));
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CompareNoCase(a, b) < 0;
    });
    return names;
}

}  // namespace pomix
