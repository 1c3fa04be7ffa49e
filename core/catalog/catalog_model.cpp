#include "core/catalog/catalog_model.h"

#include <utility>

namespace pomix {
namespace {

// The entries read beside the interface, with the sorted lines of the tab shown at start: the
// interface thread only takes them.
struct EntriesLoad : ListLoad<CatalogList> {
    using ListLoad::ListLoad;
    std::vector<ListLine> lines;
    void Read() {
        LoadCatalogList(file, list);
        lines = UpDateListBox(list, CatalogModel::kFirstCategory);
    }
    void Adopt(EntriesLoad&& other) {
        ListLoad::Adopt(std::move(other));
        lines = std::move(other.lines);
    }
};

}  // namespace

CatalogModel::CatalogModel(StreamContainer& container, std::string fileName)
    : file_(container, std::move(fileName), kCatalogStreamName) {}

EarlyRead CatalogModel::EarlyReadIn(const std::string& dataDir) {
    return MakeEarlyRead<EntriesLoad>(dataDir + kCatalogFileName, kCatalogStreamName);
}

std::optional<SectionModel::Load> CatalogModel::MakeLoad() {
    auto load = std::make_shared<EntriesLoad>(file_);
    return SectionModel::Load{[load] { ReadOrTakeEarly(*load); },
                              [this, load] {
                                  entries_ = std::move(load->list);
                                  file_.AdoptLoad(load->file);
                                  readLines_ = std::move(load->lines);
                                  ClearChanged();
                                  Notify(Change::Loaded);
                              }};
}

void CatalogModel::Save() {
    SaveCatalogList(file_, entries_, Modified());
    ClearChanged();
}

std::shared_ptr<FileImage> CatalogModel::ImageOfRecords() {
    return file_.TakeListImage(entries_, WriteCatalogList);
}

std::vector<ListLine> CatalogModel::Lines(int category) {
    std::optional<std::vector<ListLine>> read = std::exchange(readLines_, std::nullopt);
    if (read && category == kFirstCategory) return std::move(*read);
    return UpDateListBox(entries_, category);
}

std::vector<ListLine> CatalogModel::Found(const std::string& pattern, CatalogSearch scope) const {
    return FoundRecord(entries_, pattern, scope);
}

std::uint64_t CatalogModel::Add(std::int32_t category, std::string name, StrList memo) {
    entries_.Add(TCatalogNote(category, std::move(name), std::move(memo)));
    Changed();
    return entries_.SerialAt(entries_.Count() - 1);
}

bool CatalogModel::Change(std::uint64_t serial, std::int32_t category, std::string name, StrList memo) {
    TCatalogNote* entry = entries_.BySerial(serial);
    if (!entry) return false;
    entry->Category = category;
    entry->Name = std::move(name);
    entry->Memo = std::move(memo);
    Changed();
    return true;
}

bool CatalogModel::Delete(std::uint64_t serial) {
    const std::optional<std::size_t> index = entries_.FindSerial(serial);
    if (!index) return false;
    entries_.Delete(*index);
    Changed();
    return true;
}

void CatalogModel::Changed() {
    readLines_.reset();
    MarkChanged();
}

}  // namespace pomix
