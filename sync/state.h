// What the sync remembers between runs, beside the data in Data/:
//
// Sync.map, the mapping of local records to server items. A text file of lines, fields
// separated by TAB, every field percent-escaped ("%" "TAB" CR LF as %25 %09 %0D %0A):
//   pomix-sync-map 1
//   C <kind> <collection URL> <sync token>       kind: "events" or "contacts"
//   E <kind> <item URL> <ETag> <fields> <item>   one per synced item
//   Z <number of C and E lines> <FNV-1a 64 of every byte before this line, 16 hex digits>
// <fields> are the record's fields as last synced (see item.h), <item> the server's text as
// last synced (what a local edit is merged into). Written whole and atomically; a file that
// does not read back exactly (missing, cut, edited, another version) counts as lost, and a
// lost mapping makes the next sync compare everything by content, which never deletes.
//
// Sync.ini, the sync settings: "key=value" lines (server, user, calendar, addressbook,
// interval, allow_http). The password is never written here.
#pragma once

#include <string>
#include <vector>

#include "sync/item.h"

namespace pomix::sync {

inline constexpr char kMapFileName[] = "Sync.map";
inline constexpr char kSettingsFileName[] = "Sync.ini";

struct Entry {
    std::string Url;
    std::string ETag;
    Fields Local;      // the record as last synced
    std::string Item;  // the server's text as last synced
    bool operator==(const Entry&) const = default;
};

struct CollectionState {
    std::string Url;  // empty: never synced (or the mapping was lost)
    // The collection's sync token as read at the start of the last completed sync; empty
    // when the server has none.
    std::string Token;
    std::vector<Entry> Entries;
    bool operator==(const CollectionState&) const = default;
};

struct SyncState {
    CollectionState Events, Contacts;
    bool operator==(const SyncState&) const = default;
};

enum class MapStatus { Read, Missing, Damaged };

// The mapping in folder; an empty state when it is missing or damaged.
SyncState LoadState(const std::string& folder, MapStatus& status);
// Raises EFileError / EStreamWriteError when the file cannot be written (the old one stays).
void SaveState(const std::string& folder, const SyncState& state);

struct SyncSettings {
    std::string Server, User, Calendar, AddressBook;
    int IntervalMinutes = 0;  // 0: only when asked
    bool AllowPlainHttp = false;
};

SyncSettings LoadSyncSettings(const std::string& folder);
// The name under which the desktop's secret store keeps the password of user at server (the
// window stores it there, `pomix-data sync` reads it).
inline std::string PasswordKey(const std::string& server, const std::string& user) {
    return "sync:" + user + "@" + server;
}
void SaveSyncSettings(const std::string& folder, const SyncSettings& settings);

}  // namespace pomix::sync
