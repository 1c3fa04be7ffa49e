// The catalog's model: the entries, their file and the title lines of a category, shared by
// the window and the program's services (the saves, a copy put back).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/model/list_model.h"

namespace pomix {

class CatalogModel : public ListModel<CatalogList> {
public:
    // The category whose titles the read sorts beside the interface: the tab shown at start.
    static constexpr int kFirstCategory = 1;

    CatalogModel(StreamContainer& container, std::string fileName);

    const CatalogList& Entries() const { return list_; }

    std::optional<SectionModel::Load> MakeLoad() override;
    static EarlyRead EarlyReadIn(const std::string& dataDir);

    // The titles of one category in the list's order (UpDateListBox); right after a read, the
    // first category's are the lines the read sorted.
    std::vector<ListLine> Lines(int category);
    std::vector<ListLine> Found(const std::string& pattern, CatalogSearch scope) const;
    std::array<int, kCatalogCategories> Counts() const { return CategoryCounts(list_); }

    // The serial number of the entry added.
    std::uint64_t Add(std::int32_t category, std::string name, StrList memo);
    // False, with nothing changed, when the entry is gone.
    bool Change(std::uint64_t serial, std::int32_t category, std::string name, StrList memo);
};

}  // namespace pomix
