// Contacts of the address book: the record, the list, the "Abook" stream and the lines of the
// record list.
//
// "Abook" stream (little-endian, text fields and line lists by the field codec):
//   int32 count N, then N times: Famile, FistName, LastName (texts), Date (8-byte double),
//   Address, Tel1, Tel2, Email, URL (texts), Note (line list), Category (1 byte).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/dates.h"
#include "storage/field_codec.h"
#include "storage/record_list.h"
#include "storage/section_file.h"

namespace pomix {

// Category values: 0 personal, 1 business; any other byte (255 when none was chosen) is
// kept as it is and listed only under "all".
inline constexpr std::uint8_t kPersonalCategory = 0;
inline constexpr std::uint8_t kBusinessCategory = 1;
inline constexpr std::uint8_t kNoCategory = 255;
// The category filter that lists every record.
inline constexpr int kAllCategories = 255;

// The category selector of the edit panel: its position 0 or 1, -1 for no selection (stored
// as 255); a stored byte the selector has no item for shows as no selection.
inline std::uint8_t CategoryOfSelection(int position) {
    return position == 0 || position == 1 ? static_cast<std::uint8_t>(position) : kNoCategory;
}
inline int SelectionOfCategory(std::uint8_t category) {
    return category <= kBusinessCategory ? category : -1;
}

// What the birth date field of a new contact starts with.
inline constexpr const char* kNewContactBirthDate = "31.12.1960";

struct Contact {
    Contact(std::string surname, std::string firstName, std::string patronymic, DateTime date,
            std::string address, std::string tel1, std::string tel2, std::string email,
            std::string url, StrList note, std::uint8_t category)
        : Surname(std::move(surname)),
          FirstName(std::move(firstName)),
          Patronymic(std::move(patronymic)),
          Date(date),
          Address(std::move(address)),
          Tel1(std::move(tel1)),
          Tel2(std::move(tel2)),
          Email(std::move(email)),
          URL(std::move(url)),
          Note(std::move(note)),
          Category(category) {}

    std::int32_t Index = 0;  // position in the list; not stored
    // Stored, exported to CSV and dumped as "Famile", "FistName" and "LastName".
    std::string Surname;
    std::string FirstName;
    std::string Patronymic;
    DateTime Date;           // birth date; only day, month and year are used
    std::string Address;
    std::string Tel1;
    std::string Tel2;
    std::string Email;
    std::string URL;
    StrList Note;
    std::uint8_t Category;
};

using AddressList = RecordList<Contact>;

inline constexpr const char* kAddressFileName = "Address.dat";
inline constexpr const char* kAddressStreamName = "Abook";

// Appends the records of an "Abook" stream. A negative count reads as none. Raises
// EStreamReadError when the stream ends early; the records read before stay in the list.
void ReadAddressList(Stream& stream, AddressList& list);
void WriteAddressList(const AddressList& list, Stream& stream);

// Replaces the list by the file's records; false when the file was damaged (the records read
// before the damage are kept). A missing file is an empty list.
bool LoadAddressList(SectionFile& file, AddressList& list);
// Writes the file only when the list was modified.
void SaveAddressList(SectionFile& file, const AddressList& list, bool modified);

// The name shown in every list: surname and initials.
std::string ShortName(const Contact& record);

// Renumbers the records and returns the record-list lines of a category (kAllCategories for
// every record): each record's short name, in case-insensitive order.
std::vector<ListLine> UpDateListBox(AddressList& list, int category);

// Whether a stored birth date is one: day 0 (30.12.1899) is the empty date, which a contact
// imported without a birth date holds, and no value outside the calendar is either.
bool HasBirthDate(DateTime date);

// The birth date in the locale's long form without the weekday (so that a weekday's name
// finds nobody), trailing blanks removed, empty without a birth date: what the details show
// and what the search compares.
std::string LongBirthDate(DateTime date);

// Whether the pattern (WildMatch, case ignored) matches one of Surname, Patronymic, Address,
// Tel1, Tel2, the long birth date, Email, URL or a note line. The first name is not searched.
bool RecordFound(const Contact& record, const std::string& pattern);
// Lines of every matching record, whatever its category, sorted as the record list. An empty
// pattern finds nothing (the window then leaves its list as it is).
std::vector<ListLine> RecordFound(const AddressList& list, const std::string& pattern);

// The record-list lines of every record kept in display order between changes of the list, so
// that a tab switch or a search filters them rather than building and sorting every name
// again. Whoever adds, edits or deletes records calls Changed() before the next use.
class ContactLines {
public:
    // Lines handed out are never changed afterwards: every category's lines of an unchanged
    // list are one vector, shared rather than copied (100,000 names take longer to copy than
    // to sort).
    using Shared = std::shared_ptr<const std::vector<ListLine>>;

    void Changed() { stale_ = true; }
    // As UpDateListBox(list, category): renumbers the records too.
    Shared Category(AddressList& list, int category);
    // As RecordFound(list, pattern).
    std::vector<ListLine> Found(AddressList& list, const std::string& pattern);

private:
    const Shared& All(AddressList& list);

    Shared all_;
    bool stale_ = true;
};

}  // namespace pomix
