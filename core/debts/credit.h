// Debts: the record, the list, the "Credit" stream, the four-column lines, the days left, the
// sort commands and the name choices from the address book.
//
// "Credit" stream (little-endian, texts by the field codec):
//   int32 count N, then N times: Kind (int32), FistName, Name (texts),
//   CreateDate, ReturnDate (8-byte doubles).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/addressbook/address.h"
#include "storage/dates.h"
#include "storage/record_list.h"
#include "storage/section_file.h"

namespace pomix {

inline constexpr int kOwedToMe = 1;  // "Мне должны"
inline constexpr int kIOwe = 2;      // "Я должен"

struct TCreditNote {
    TCreditNote(std::int32_t kind, std::string person, std::string name, DateTime createDate,
                DateTime returnDate)
        : Kind(kind),
          Person(std::move(person)),
          Name(std::move(name)),
          CreateDate(createDate),
          ReturnDate(returnDate) {}

    std::int32_t Index = 0;  // position in the list; not stored
    std::int32_t Kind;       // kOwedToMe or kIOwe; other values are kept but never listed
    std::string Person;      // the other person; stored and dumped as "FistName"
    std::string Name;        // subject; may begin with an amount and a currency
    DateTime CreateDate;     // when the debt was entered
    DateTime ReturnDate;     // due date
};

using CreditList = RecordList<TCreditNote>;

inline constexpr const char* kCreditFileName = "Credit.dat";
inline constexpr const char* kCreditStreamName = "Credit";

// Appends the debts of a "Credit" stream. Raises EStreamReadError when the stream ends early,
// ECorruptFile for a negative count or bytes left after the last debt; the debts read before
// stay in the list.
void ReadCreditList(Stream& stream, CreditList& list);
void WriteCreditList(const CreditList& list, Stream& stream);

// Replaces the list by the file's debts; false when the file was damaged (the debts read
// before the damage are kept). A missing file is an empty list.
bool LoadCreditList(SectionFile& file, CreditList& list);
// Writes the file only when the list was modified.
void SaveCreditList(SectionFile& file, const CreditList& list, bool modified);

// Whole days from today to the due day, counting the due day itself: 1 when due today. The
// overdue mark when none are left, and also for a stored due date that is no date at all
// (not a number, infinite, outside the years 1 to 9999); otherwise the count in decimal.
std::string DaysLeftText(DateTime due, const std::string& overdueMark);
std::string DaysLeftText(DateTime due, const std::string& overdueMark, DateTime now);

// Renumbers the debts and returns a reference to each debt of one kind, in list order (the
// lines' Text is left empty: a list shows the cells of CreditCells).
std::vector<ListLine> UpDateListBox(CreditList& list, int kind);

// The four cells of a debt's line, kept apart so that a ";" in a name or subject stays in its
// cell: Person, Name, the due date in the locale's short form (empty for a due date that is
// no date), DaysLeftText counted from now.
std::array<std::string, 4> CreditCells(const TCreditNote& debt, const std::string& overdueMark,
                                       DateTime now);

// The column tabs' sort: tag 1 by Person, 2 by Name (CompareNoCase), 3 by the whole days of
// ReturnDate; the whole list, both kinds, in place. Equal keys do not keep their order. False
// (and nothing changed) for another tag; true means the list is to be saved (Modified).
bool SortedCreditList(CreditList& list, int tag);

// The name choices for a debt: the short name of every contact, in alphabetical order.
StrList DebtorNames(const AddressList& addresses);

}  // namespace pomix
