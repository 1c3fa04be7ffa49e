// The catalog's model: the entries, their file and the title lines of a category, shared by
// the window and the program's services (the saves, a copy put back).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/model/section_model.h"
#include "storage/early_reads.h"
#include "storage/stream_container.h"

namespace pomix {

class CatalogModel : public SectionModel {
public:
    // The category whose titles the read sorts beside the interface: the tab shown at start.
    static constexpr int kFirstCategory = 1;

    // fileName is DataDir + "Catalog.dat"; the container is the program's shared one.
    CatalogModel(StreamContainer& container, std::string fileName);

    const CatalogList& Entries() const { return entries_; }
    SectionFile& File() { return file_; }
    const SectionFile& File() const { return file_; }
    SectionFile* DataFile() override { return &file_; }

    // The file's entries in place of the list (LoadNow, or MakeLoad beside the interface,
    // taking the start's early read where it is still current).
    std::optional<SectionModel::Load> MakeLoad() override;
    static EarlyRead EarlyReadIn(const std::string& dataDir);
    // Writes the file when the entries changed, then clears the mark. Storage errors pass to
    // the caller with the mark still set.
    void Save();

    // The titles of one category in the list's order (UpDateListBox); right after a read, the
    // first category's are the lines the read sorted.
    std::vector<ListLine> Lines(int category);
    std::vector<ListLine> Found(const std::string& pattern, CatalogSearch scope) const;
    std::array<int, kCatalogCategories> Counts() const { return CategoryCounts(entries_); }

    // The serial number of the entry added.
    std::uint64_t Add(std::int32_t category, std::string name, StrList memo);
    // False, with nothing changed, when the entry is gone.
    bool Change(std::uint64_t serial, std::int32_t category, std::string name, StrList memo);
    bool Delete(std::uint64_t serial);

protected:
    std::shared_ptr<FileImage> ImageOfRecords() override;

private:
    void Changed();

    SectionFile file_;
    CatalogList entries_;
    // The first category's lines a read sorted beside the interface, until the first change
    // or look.
    std::optional<std::vector<ListLine>> readLines_;
};

}  // namespace pomix
