// Events and contacts as CSV files (UTF-8, RFC 4180), the third exchange format beside
// iCalendar and vCard.
//
// Written: a header row of the record's field names, then one row per record, as pomix-data
// `export csv` writes them:
//   events   Name,Memo,Date,Time,Reserved,Remind,Done   (Date YYYY-MM-DD, Time HH:MM, the memo's
//            lines joined by line breaks inside the field)
//   contacts Famile,FistName,LastName,Date,Address,Tel1,Tel2,Email,URL,Note,Category
//
// Read: these files, and the CSV files other organizers export, by their header names (case
// ignored): Outlook's ("Subject", "Start Date", "Start Time", "All day event", "Reminder
// on/off", "Description"; "First Name", "Middle Name", "Last Name", "Mobile Phone", "E-mail
// Address", "Web Page", "Birthday", "Notes"…) and Google's ("Given Name", "Family Name",
// "Phone 1 - Value", "E-mail 1 - Value"…). Dates as YYYY-MM-DD, DD.MM.YYYY or M/D/YYYY (the
// slash form is the American order Outlook and Google write), times as HH:MM[:SS] with an
// optional AM/PM. A further phone, a location and the other filled columns no field holds
// become memo or note lines "Column: value", so nothing filled in is lost. The text is UTF-8
// or UTF-16 (by byte-order mark or NUL pattern); other bytes are taken as windows-1251, as
// Outlook writes on a Russian system.
#pragma once

#include <string>

#include "core/addressbook/address.h"
#include "core/exchange/import_result.h"
#include "core/exchange/record_table.h"
#include "core/planner/event.h"

namespace pomix::dataio {

// The fields of one record as the tables of `dump` and the CSV files show them.
void DescribeEvent(const Event& event, Row& row);
void DescribeContact(const Contact& contact, Row& row);

std::string WriteEventsCsv(const EventList& events);
std::string WriteContactsCsv(const AddressList& contacts);

// A row that cannot be taken (no date, an unreadable date, nothing filled in) is skipped and
// noted with its line; a quote never closed is noted. FormatError when the header names no
// column this reader knows, or for binary data.
ImportResult<Event> ReadEventsCsv(const std::string& bytes);
ImportResult<Contact> ReadContactsCsv(const std::string& bytes);

}  // namespace pomix::dataio
