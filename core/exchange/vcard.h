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
// A contact without names is written with its e-mail, phones and web address (or "-") as FN,
// which the reader knows again and does not take as a name.
//
// Read: vCard 2.1, 3.0 and 4.0. The first two phones, the first address, e-mail and web
// address go to their fields; every further one, and what has no field of its own
// (organisation, title, a birthday without a year, other categories), becomes a note line.
#pragma once

#include <string>

#include "core/addressbook/address.h"
#include "core/exchange/import_result.h"

namespace pomix::dataio {

// UTF-8 text of the cards, lines ended by CR LF.
std::string WriteVCards(const AddressList& list);

// One contact as a card of its own, with a UID line when uid is not empty: the object an
// address book server keeps for one contact.
std::string WriteVCard(const Contact& contact, const std::string& uid);

// Any bytes: UTF-8, UTF-16 (by byte-order mark or NUL pattern), or values in the charset
// their lines name. Read leniently: a line that cannot be read is left out and noted in
// Warnings, a card that cannot be read (never ended) skipped and noted, the other cards come
// in. Blocks other than VCARD are skipped and noted; a text without any block (an empty file)
// holds no contacts. Raises FormatError only for binary data. The cards' UIDs are in Uids.
ImportResult<Contact> ReadVCards(const std::string& text);

// The birth date of a BDAY value: "19850308", "1985-03-08" (a time after it is ignored); a
// form without a year ("--0308", "--03-08") gives its month and day with year 0.
struct BirthDay {
    int Year = 0, Month = 0, Day = 0;
};
bool ParseBirthDay(const std::string& text, BirthDay& day);

}  // namespace pomix::dataio
