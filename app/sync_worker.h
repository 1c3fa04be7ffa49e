// One CalDAV/CardDAV sync at a time on a work queue of its own: the interface hands over copies
// of the planner's events and the address book's contacts, the thread talks to the server,
// and the outcome comes back to the interface thread through THandBack (a mutex and an
// eventfd, which ThreadSanitizer follows). The interface never waits for the
// network.
//
// What the thread writes: only Data/Sync.map after the exchange (it then describes the data
// as handed over, untouched). The merged lists and the mapping that goes with them come back
// in the outcome: the owner of the lists puts them in place and saves the data files before
// that mapping, in that order, as `pomix-data sync` does.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "core/addressbook/address.h"
#include "core/planner/event.h"
#include "storage/work_queue.h"
#include "sync/engine.h"
#include "kit/hand_back.h"

namespace pomix {

struct SyncJob {
    sync::Account Account;
    sync::SyncOptions Options;
    std::string Folder;  // where Sync.map is
    EventList Events;
    AddressList Contacts;
};

struct SyncOutcome {
    bool Ok = false;
    // A failure: the kind and status say it in the interface language, Message is the
    // engine's own (English) words.
    sync::SyncFailure Failure = sync::SyncFailure::Other;
    long Status = 0;
    std::string Message;
    bool StateUnwritable = false;  // Sync.map could not be written (Message names why)
    sync::MapStatus Map = sync::MapStatus::Read;
    sync::SyncReport Report;
    // On success: the lists with the server's changes, and the mapping to save after them.
    EventList Events;
    AddressList Contacts;
    sync::SyncState State;
    bool StateChanged = true;  // State differs from the Sync.map read (which then stays)
};

class TSyncWorker : public QObject {
    Q_OBJECT
public:
    explicit TSyncWorker(QObject* parent = nullptr);
    // Waits for a sync still running (at the program's end; the connection has time-outs).
    ~TSyncWorker() override;

    bool Running() const { return running_; }
    // Starts job; false while a sync is running.
    bool Start(SyncJob job);
    // The outcome of the last sync, once finished was emitted.
    std::shared_ptr<SyncOutcome> Outcome() const { return outcome_; }

    // The work itself, as the thread runs it (also for tests).
    static std::shared_ptr<SyncOutcome> Run(SyncJob& job);

signals:
    void finished();

private:
    THandBack* back_;  // the outcome's way back (a queue ThreadSanitizer can follow)
    // Declared after back_'s pointer and destroyed before back_ (a child object): the sync
    // still running ends, and its outcome is dropped.
    WorkQueue queue_;
    bool running_ = false;
    std::shared_ptr<SyncOutcome> outcome_;
};

}  // namespace pomix
