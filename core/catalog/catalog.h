// Catalog entries: the record, the list, the "Catalog" stream, the title lines of a category,
// the per-category counts and the search.
//
// "Catalog" stream (little-endian, texts and line lists by the field codec):
//   int32 count N, then N times: Category (int32), Name (text), Memo (line list).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/field_codec.h"
#include "storage/record_list.h"
#include "storage/section_file.h"

namespace pomix {

inline constexpr int kCatalogCategories = 6;  // categories 1 to 6

struct TCatalogNote {
    TCatalogNote(std::int32_t category, std::string name, StrList memo)
        : Category(category), Name(std::move(name)), Memo(std::move(memo)) {}

    std::int32_t Index = 0;  // position in the list; not stored
    std::int32_t Category;   // 1 to 6; any other value is kept but never listed or counted
    std::string Name;        // title
    StrList Memo;            // description
};

using CatalogList = RecordList<TCatalogNote>;

inline constexpr const char* kCatalogFileName = "Catalog.dat";
inline constexpr const char* kCatalogStreamName = "Catalog";

// Appends the entries of a "Catalog" stream; a negative count reads as none. Raises
// EStreamReadError when the stream ends early; the entries read before stay in the list.
void ReadCatalogList(Stream& stream, CatalogList& list);
void WriteCatalogList(const CatalogList& list, Stream& stream);

// Replaces the list by the file's entries; false when the file was damaged (the entries read
// before the damage are kept). A missing file is an empty list.
bool LoadCatalogList(SectionFile& file, CatalogList& list);
// Writes the file only when the list was modified.
void SaveCatalogList(SectionFile& file, const CatalogList& list, bool modified);

// Renumbers the entries and returns the titles of one category, in case-insensitive order.
std::vector<ListLine> UpDateListBox(CatalogList& list, int category);

// The category drop-down's position for a stored category: 0 to 5 for categories 1 to 6, and
// -1 (nothing chosen) for any other value, so that an entry stored outside the six categories
// is never shown under, or saved into, a category it does not have.
int CategoryPosition(std::int32_t category);

// Entries per category over the whole list: element 0 counts category 1, … element 5
// category 6.
std::array<int, kCatalogCategories> CategoryCounts(const CatalogList& list);

enum class CatalogSearch {
    ByName,      // "По названию"
    ByMemo,      // "По описанию"
    Everywhere,  // "Везде": the title first, then the description
};
// Titles of the matching entries of every category (WildMatch / LinesMatch, case ignored),
// sorted as the title list. An empty pattern finds nothing.
std::vector<ListLine> FoundRecord(const CatalogList& list, const std::string& pattern,
                                  CatalogSearch scope);

}  // namespace pomix
