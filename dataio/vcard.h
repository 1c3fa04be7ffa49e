// Contacts to and from vCard files.
//
// Written as vCard 3.0 (RFC 2426), one card per contact:
//   N        surname;first name;patronymic;;
//   FN       the same names, blank-separated
//   BDAY     YYYY-MM-DD, only for a birth date that is a date (day 0, the empty value, is not)
//   ADR      the address as the street part: ;;address;;;;
//   TEL      one line per phone, first then second
//   EMAIL, URL, NOTE (the note lines), CATEGORIES ("Личные" or "Деловые")
//
// Read: vCard 2.1, 3.0 and 4.0. The first two phones, the first address, e-mail and web
// address go to their fields; every further one, and what has no field of its own
// (organisation, title, a birthday without a year, other categories), becomes a note line.
#pragma once

#include <string>

#include "addressbook/address.h"
#include "dataio/import_result.h"

namespace pomix::dataio {

// UTF-8 text of the cards, lines ended by CR LF.
std::string WriteVCards(const AddressList& list);

// Raises FormatError when the text is not a well-formed vCard file. Blocks other than VCARD
// are skipped and noted; a text without any block (an empty file) holds no contacts.
ImportResult<TAddress> ReadVCards(const std::string& text);

// The birth date of a BDAY value: "19850308", "1985-03-08" (a time after it is ignored); a
// form without a year ("--0308", "--03-08") gives its month and day with year 0.
struct BirthDay {
    int Year = 0, Month = 0, Day = 0;
};
bool ParseBirthDay(const std::string& text, BirthDay& day);

}  // namespace pomix::dataio
