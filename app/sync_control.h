// The window side of the CalDAV/CardDAV sync: "Синхронизировать" (the settings page's button,
// F9 in the main window), a sync once the sections have their records, a few seconds after a
// change of events or contacts was saved, and every N minutes of Sync.ini.
//
// The network runs on TSyncWorker's thread. What comes back is put in place only while the
// planner and the address book still hold what was handed over and neither editor is open
// (it waits for the editor; a list changed meanwhile means the sync runs again, and its
// changes go with it). Then the data files are saved, and Sync.map after them, through the
// background saver in that order.
//
// The status (time in the interface language, counts, or what failed) goes out as
// statusChanged, which the main window shows on the settings page; conflicts and failures are
// also told through the desktop notification. The sync reads and replaces the sections'
// models, never their windows.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "sync/state.h"
#include "kit/background_save.h"
#include "app/sync_worker.h"

namespace pomix {

class Planner;
class AddressBook;

// The status line's texts, in the interface language (the settings page's dictionary).
enum class SyncText {
    Running, Done, Conflicts, Skipped, RefusedItems, NoServer, NoPassword, NoStore, Waiting, Failed, Unreachable,
    Refused, Unauthorized, BadAnswer, BadAddress, Missing, FileError, Title
};

// What the sync works with, handed in by the main window: the two models it reads and
// replaces (null while a section is being made anew) and the texts of its status line.
struct SyncParts {
    std::function<Planner*()> planner;
    std::function<AddressBook*()> addressBook;
    std::function<QString(SyncText)> text;
};

class TSyncControl : public QObject {
    Q_OBJECT
public:
    TSyncControl(SyncParts parts, TBackgroundSaver& saver, QObject* parent);

    // The sections have their records and the program is unlocked: the first sync, and the
    // interval from now on.
    void Begin();
    // The command: a sync now, or right after the one running.
    void Synchronize();
    // A change of events or contacts was handed to the saver.
    void LocalChangeSaved();
    // Sync.ini changed: the interval is read again.
    void OptionsChanged();
    // The secret store answered a write of the password: without one, every status line
    // says that the password is asked again at the next start.
    void SetPasswordStoreMissing(bool missing) { passwordStoreMissing_ = missing; }

    const QString& Status() const { return status_; }
    // The interval's period while it runs, else 0.
    int IntervalMs() const { return interval_->isActive() ? interval_->interval() : 0; }
    // A sync is out: on the network, waiting to be put in place, or its mapping being saved.
    bool Running() const { return worker_->Running() || pending_ != nullptr || stateSaving_; }
    static constexpr int kAfterSaveDelay = 3000;  // ms; a burst of edits makes one sync
    static constexpr int kRetryDelay = 1000;      // ms, while an editor is open or a save is out

signals:
    void statusChanged(const QString& status);
    // A sync ended: its outcome is in place and being saved, or it failed, or it was dropped.
    void ended();

private:
    void StartWith(const sync::SyncSettings& settings, const QString& password);
    void Finished();
    void TryApply();
    // tell: also as a notification, unless the last one told was the same (sameAs, or the
    // text itself, compared); the notification adds told to the text.
    void SetStatus(const QString& text, bool tell, const QString& sameAs = {},
                   const QString& told = {});
    QString FailureText(const SyncOutcome& outcome) const;
    QString Text(SyncText text) const { return parts_.text(text); }

    SyncParts parts_;
    TBackgroundSaver& saver_;
    TSyncWorker* worker_;
    QTimer* interval_;
    QTimer* afterSave_;
    QTimer* retry_;
    bool begun_ = false;
    bool again_ = false;
    bool waitingForPassword_ = false;
    bool stateSaving_ = false;
    bool passwordStoreMissing_ = false;
    std::string folder_;
    // The lists as handed over, as stored bytes: what must still be there to take the outcome.
    std::string eventsImage_, contactsImage_;
    std::shared_ptr<SyncOutcome> pending_;
    QString status_;
    QString told_;  // the last failure notified, so a repeating one is told once
};

}  // namespace pomix
