// Planner events and contacts as server items (one VEVENT in a VCALENDAR, one vCard), their
// comparison, and the merge of a local edit into the server's own item.
//
// Fields: a record's synced content as a fixed list of texts (the stored code page 1251
// bytes). Two records with equal fields are the same to the sync; the mapping file keeps the
// fields of every record as last synced.
//   event:   title, description lines (LF-joined), start ("<day> <hh:mm>"), reminder, done
//   contact: surname, first name, patronymic, birth date ("<y>-<m>-<d>" or empty), address,
//            phone 1, phone 2, e-mail, web, note lines (LF-joined), category ("0", "1", "-")
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/addressbook/address.h"
#include "core/planner/event.h"
#include "sync/dav.h"

namespace pomix::sync {

using Fields = std::vector<std::string>;

inline constexpr std::size_t kEventFieldCount = 5;
inline constexpr std::size_t kContactFieldCount = 11;

// Nothing for an event whose day is no date: it cannot be an item and stays local.
std::optional<Fields> EventFields(const Event& event);
Fields ContactFields(const Contact& contact);

// One string of the fields (for the mapping file) and back; Split gives nothing for a text
// that holds another number of fields.
std::string JoinFields(const Fields& fields);
std::optional<Fields> SplitFields(const std::string& text, std::size_t count);

// A fresh random UID.
std::string NewUid();

// The item text of a new record, with that UID.
std::string NewEventItem(const Event& event, const std::string& uid);
std::string NewContactItem(const Contact& contact, const std::string& uid);

// The record an item holds (a recurring event: its first occurrence); nothing when the item is
// no event or contact Pomix can take (a to-do, a damaged item).
std::optional<Event> ItemEvent(const std::string& text);
std::optional<Contact> ItemContact(const std::string& text);

// The server's item with the local edit applied: only the properties of the fields that differ
// between before and now are replaced; every other line (RRULE, attendees, photos, further
// phones, unknown properties) stays as the server had it.
std::string MergeEvent(const std::string& original, const Fields& before, const Event& now);
std::string MergeContact(const std::string& original, const Fields& before, const Contact& now);

}  // namespace pomix::sync
