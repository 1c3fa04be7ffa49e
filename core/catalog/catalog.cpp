#include "core/catalog/catalog.h"

#include "storage/text.h"

namespace pomix {

void ReadCatalogList(Stream& stream, CatalogList& list) {
    const auto count = stream.ReadValue<std::int32_t>();
    // The category, an empty name and an empty description.
    list.Reserve(ReadableCount(count, stream, 4 + 4 + 4));
    for (std::int32_t i = 0; i < count; ++i) {
        const auto category = stream.ReadValue<std::int32_t>();
        std::string name = ReadStr(stream);
        StrList memo = ReadStrList(stream);
        list.Add(TCatalogNote(category, std::move(name), std::move(memo)));
    }
}

void WriteCatalogList(const CatalogList& list, Stream& stream) {
    stream.WriteValue<std::int32_t>(static_cast<std::int32_t>(list.Count()));
    for (std::size_t i = 0; i < list.Count(); ++i) {
        stream.WriteValue<std::int32_t>(list[i].Category);
        WriteStr(list[i].Name, stream);
        WriteStrList(list[i].Memo, stream);
    }
}

std::vector<ListLine> UpDateListBox(CatalogList& list, int category) {
    list.Reindex();
    std::vector<ListLine> lines;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (list[i].Category == category) lines.push_back(list.LineFor(i, list[i].Name));
    }
    SortLines(lines);
    return lines;
}

int CategoryPosition(std::int32_t category) {
    // Compared before any arithmetic: category - 1 overflows for the smallest value.
    return category >= 1 && category <= kCatalogCategories ? static_cast<int>(category) - 1 : -1;
}

std::array<int, kCatalogCategories> CategoryCounts(const CatalogList& list) {
    std::array<int, kCatalogCategories> counts{};
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const std::int32_t category = list[i].Category;
        if (category >= 1 && category <= kCatalogCategories) ++counts[category - 1];
    }
    return counts;
}

std::vector<ListLine> FoundRecord(const CatalogList& list, const std::string& pattern,
                                  CatalogSearch scope) {
    std::vector<ListLine> lines;
    if (pattern.empty()) return lines;
    const bool byName = scope != CatalogSearch::ByMemo;
    const bool byMemo = scope != CatalogSearch::ByName;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TCatalogNote& entry = list[i];
        if ((byName && WildMatch(entry.Name, pattern, true)) ||
            (byMemo && LinesMatch(entry.Memo, pattern))) {
            lines.push_back(list.LineFor(i, entry.Name));
        }
    }
    SortLines(lines);
    return lines;
}

}  // namespace pomix
