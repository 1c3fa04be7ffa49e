// The ordered, owning record list of a section, and the tie between a list control's line and
// its record.
//
// A line carries the record's position and the serial number the list gave the record when it
// was added. Serial numbers are never reused, so a line whose record has been deleted resolves
// to nothing instead of reaching whatever record now sits at that position; a line whose record
// was moved by a sort is found again by its serial number.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "storage/text.h"

namespace pomix {

struct ListLine {
    std::string Text;  // code page 1251; multi-column lines split at ";"
    std::size_t Index = 0;
    std::uint64_t Serial = 0;
};

// T is a record with a public `Index` (its position, rewritten by Reindex).
template <class T>
class RecordList {
public:
    std::size_t Count() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }

    T& operator[](std::size_t index) { return entries_[index].record; }
    const T& operator[](std::size_t index) const { return entries_[index].record; }

    // Appends at the end and returns the stored record.
    T& Add(T record) {
        // Made in place: a record of many fields is not moved twice.
        entries_.emplace_back(std::move(record), nextSerial_++);
        return entries_.back().record;
    }
    // Removes the record at index; an index outside the list changes nothing.
    void Delete(std::size_t index) {
        if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    }
    void Clear() { entries_.clear(); }
    // Room for count more records, so that a list read from a file is not regrown (moving
    // every record) as it fills. Callers bound count by what the stream can hold.
    void Reserve(std::size_t count) { entries_.reserve(entries_.size() + count); }
    void Exchange(std::size_t a, std::size_t b) { std::swap(entries_[a], entries_[b]); }

    // Every record's Index becomes its position.
    void Reindex() {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            entries_[i].record.Index = static_cast<std::int32_t>(i);
        }
    }

    ListLine LineFor(std::size_t index, std::string text) const {
        return ListLine{std::move(text), index, entries_[index].serial};
    }

    // The serial number of the record at index: what a list control's line carries to reach
    // the record again after deletes and sorts.
    std::uint64_t SerialAt(std::size_t index) const { return entries_[index].serial; }

    // The current position of the record with that serial number (hint: where it was last
    // seen); none when that record is no longer listed.
    std::optional<std::size_t> FindSerial(std::uint64_t serial, std::size_t hint = 0) const {
        if (hint < entries_.size() && entries_[hint].serial == serial) return hint;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].serial == serial) return i;
        }
        return std::nullopt;
    }
    T* BySerial(std::uint64_t serial) {
        const auto index = FindSerial(serial);
        return index ? &entries_[*index].record : nullptr;
    }
    const T* BySerial(std::uint64_t serial) const {
        const auto index = FindSerial(serial);
        return index ? &entries_[*index].record : nullptr;
    }

    // The current position of the line's record; none when that record is no longer listed.
    std::optional<std::size_t> Find(const ListLine& line) const { return FindSerial(line.Serial, line.Index); }
    // The line's record, or null; valid until the list next changes.
    T* Resolve(const ListLine& line) {
        const auto index = Find(line);
        return index ? &entries_[*index].record : nullptr;
    }
    const T* Resolve(const ListLine& line) const {
        const auto index = Find(line);
        return index ? &entries_[*index].record : nullptr;
    }
    // Removes the line's record; false when it was already gone.
    bool Delete(const ListLine& line) {
        const auto index = Find(line);
        if (!index) return false;
        Delete(*index);
        return true;
    }

private:
    struct Entry {
        // Spelled out for the compilers that cannot make an aggregate from parentheses.
        Entry(T&& r, std::uint64_t s) : record(std::move(r)), serial(s) {}
        T record;
        std::uint64_t serial;
    };
    std::vector<Entry> entries_;
    std::uint64_t nextSerial_ = 1;
};

// The order of a sorted list control: case-insensitive by line text; equal texts keep their
// order, so each record keeps a line of its own.
inline void SortLines(std::vector<ListLine>& lines) {
    SortByTextNoCase(lines, [](const ListLine& line) -> const std::string& { return line.Text; });
}

}  // namespace pomix
