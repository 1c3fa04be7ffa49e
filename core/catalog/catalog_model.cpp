#include "core/catalog/catalog_model.h"

#include <utility>

namespace pomix {
namespace {

// The entries, with the sorted lines of the tab shown at start.
struct EntryRecords {
    using List = CatalogList;
    static void Read(SectionFile& file, CatalogList& entries) { LoadCatalogList(file, entries); }
    static std::vector<ListLine> Lines(CatalogList& entries) {
        return UpDateListBox(entries, CatalogModel::kFirstCategory);
    }
};
using EntriesLoad = LinesLoad<EntryRecords>;

}  // namespace

CatalogModel::CatalogModel(StreamContainer& container, std::string fileName)
    : ListModel(container, std::move(fileName), kCatalogStreamName, WriteCatalogList) {}

EarlyRead CatalogModel::EarlyReadIn(const std::string& dataDir) {
    return MakeEarlyRead<EntriesLoad>(dataDir + kCatalogFileName, kCatalogStreamName);
}

std::optional<SectionModel::Load> CatalogModel::MakeLoad() {
    return ReadBeside<EntriesLoad>();
}

std::vector<ListLine> CatalogModel::Lines(int category) {
    std::optional<std::vector<ListLine>> read = TakeReadLines();
    if (read && category == kFirstCategory) return std::move(*read);
    return UpDateListBox(list_, category);
}

std::vector<ListLine> CatalogModel::Found(const std::string& pattern, CatalogSearch scope) const {
    return FoundRecord(list_, pattern, scope);
}

std::uint64_t CatalogModel::Add(std::int32_t category, std::string name, StrList memo) {
    list_.Add(TCatalogNote(category, std::move(name), std::move(memo)));
    Changed();
    return list_.SerialAt(list_.Count() - 1);
}

bool CatalogModel::Change(std::uint64_t serial, std::int32_t category, std::string name, StrList memo) {
    TCatalogNote* entry = list_.BySerial(serial);
    if (!entry) return false;
    entry->Category = category;
    entry->Name = std::move(name);
    entry->Memo = std::move(memo);
    Changed();
    return true;
}

}  // namespace pomix
