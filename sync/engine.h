// One two-way sync of the planner's events with a CalDAV calendar and of the address book's
// contacts with a CardDAV address book.
//
// A run has two steps so that a failure never leaves local data half-changed:
//   Exchange  reads the server (listing ETags, fetching what changed or is new), decides,
//             and sends the local changes (uploads with If-Match / If-None-Match, deletions
//             with If-Match). Local data is only read. The state is updated for each server
//             write as it succeeds, so it always describes the untouched local data; a
//             SyncError ends the run there.
//   Apply     makes the server's changes in the local lists and completes the state.
// The caller saves the state after Exchange (also after a failure), then the lists, then
// the state again.
//
// Matching: a local record is the item whose last synced fields it still has. Records and
// items left over are paired by their most similar fields (an edit); what is still left is new
// (uploaded, or taken from the server; a new record equal to a new item is the same record).
// Changed on both sides: the server's version replaces the record and the local one is kept
// as a further record, named as Pomix's version, and uploaded. Deleted on one side and
// changed on the other: kept with the change.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/addressbook/address.h"
#include "core/planner/event.h"
#include "sync/http.h"
#include "sync/state.h"

namespace pomix::sync {

struct SideCounts {
    std::size_t Added = 0, Changed = 0, Deleted = 0, Kept = 0;
};

struct KindReport {
    std::string Collection;  // its URL
    bool Created = false;    // made by this run
    SideCounts Local, Server;
    std::size_t Conflicts = 0;
    std::size_t LeftLocal = 0;  // records that cannot be items (an event without a date)
    std::size_t Skipped = 0;    // server items too large or unreadable, left as they are
    std::size_t Refused = 0;    // uploads the server refused, kept here for the next run
    bool LocalChanged() const { return Local.Added + Local.Changed + Local.Deleted > 0; }
};

struct SyncReport {
    KindReport Events, Contacts;
    std::vector<std::string> Notes;  // items left as they were, and why
};

struct SyncOptions {
    std::string Calendar, AddressBook;  // collection names; empty: the first, else a new one
    // Called once the server has been read, before anything is sent (tests change the server
    // there to meet a conflict on upload).
    std::function<void()> BeforeSending;
    // The whole run's limit: a server that trickles its answers cannot keep it waiting.
    std::chrono::seconds Timeout{600};
};

// The conflict copy's title or surname gets this (UTF-8) appended.
inline constexpr char kConflictSuffix[] = " (версия Pomix)";

class SyncRun {
public:
    SyncRun(const Account& account, SyncOptions options);
    ~SyncRun();

    // Raises SyncError (state as described above; the lists untouched).
    void Exchange(const EventList& events, const AddressList& contacts, SyncState& state);
    // After a successful Exchange: the lists get the server's changes.
    void Apply(EventList& events, AddressList& contacts, SyncState& state);

    const SyncReport& Report() const { return report_; }
    // How many uploads and deletions the server took.
    std::size_t Sent() const { return sent_; }

    struct Plan;

private:
    std::unique_ptr<HttpConnection> http_;
    Account account_;
    SyncOptions options_;
    SyncReport report_;
    std::size_t sent_ = 0;
    std::unique_ptr<Plan> plan_;
    // The records Exchange read: Apply needs the same lists, unchanged in between.
    std::vector<const Event*> localEvents_;
    std::vector<const Contact*> localContacts_;
};

// A whole run on the data folder's mapping: loads it (a missing or damaged one is reported in
// mapStatus and means a comparison by content), exchanges, saves what the server took, applies
// the server's changes to the lists, calls saveLists when a list changed (it writes the data
// files) and saves the mapping again. Raises SyncError with the lists untouched; errors of
// saveLists pass through with the mapping as it was before Apply.
SyncReport Synchronize(const Account& account, const SyncOptions& options,
                       const std::string& folder, EventList& events, AddressList& contacts,
                       const std::function<void(const SyncReport&)>& saveLists,
                       MapStatus* mapStatus = nullptr);

}  // namespace pomix::sync
