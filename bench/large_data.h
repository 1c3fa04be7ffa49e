// Data folders with as many records in every section file as asked, for measuring the
// program's start with large files (make_large_data and bench_start).
#pragma once

#include <string>

#include "core/addressbook/address.h"
#include "core/catalog/catalog.h"
#include "core/debts/credit.h"
#include "core/notes/note.h"
#include "core/planner/calendar_format.h"
#include "core/planner/event.h"
#include "storage/section_file.h"

namespace pomix {

// Writes count records into each of the five section files of dir (ending in "/").
inline void WriteLargeData(const std::string& dir, int count) {
    std::uint32_t seed = 777;
    const auto word = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return "\xd1\xeb\xee\xe2\xee" + std::to_string(seed % 100000);  // "Слово" and a number
    };
    EventList events;
    AddressList contacts;
    NoteList notes;
    CatalogList entries;
    CreditList debts;
    for (int i = 0; i < count; ++i) {
        const DateTime day = 45000 + i % 4000;
        events.Append(Event(word() + " " + word(), {word() + " " + word()}, day, 0.5, 1, 0, 0));
        contacts.Add(Contact(word(), word(), word(), 30000 + i % 20000, word() + " " + word(),
                             "+7 900 " + word(), "", word() + "@example.org", "", {word()},
                             static_cast<std::uint8_t>(i % 2)));
        notes.Add(TNote(day, {word() + " " + word(), word()}, word()));
        entries.Add(TCatalogNote(i % 5, word(), {word() + " " + word()}));
        debts.Add(TCreditNote(1 + i % 2, word(), "100 " + word(), day, day + 30));
    }
    StreamContainer c;
    SectionFile(c, dir + kCalendarFile, kCalendarStream).SaveList(events, true, WriteCalendar);
    SectionFile(c, dir + kAddressFileName, kAddressStreamName)
        .SaveList(contacts, true, WriteAddressList);
    SectionFile(c, dir + kNoteFileName, kNoteStreamName).SaveList(notes, true, WriteNotes);
    SectionFile(c, dir + kCatalogFileName, kCatalogStreamName)
        .SaveList(entries, true, WriteCatalogList);
    SectionFile(c, dir + kCreditFileName, kCreditStreamName).SaveList(debts, true, WriteCreditList);
}

}  // namespace pomix
