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
// The settings page shows a one-line status (time in the interface language, counts, or what
// failed); conflicts and failures are also told through the desktop notification.
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

class TSectionWindow;
class TCalendarForm;
class TABookForm;
class TForm7;

class TSyncControl : public QObject {
    Q_OBJECT
public:
    // windowOf gives the section window of an index (planner 0, address book 1, settings 5).
    using WindowOf = std::function<TSectionWindow*(int index)>;
    TSyncControl(WindowOf windowOf, TBackgroundSaver& saver, QObject* parent);

    // The sections have their records and the program is unlocked: the first sync, and the
    // interval from now on.
    void Begin();
    // The command: a sync now, or right after the one running.
    void Synchronize();
    // A change of events or contacts was handed to the saver.
    void LocalChangeSaved();
    // Sync.ini changed: the interval is read again.
    void OptionsChanged();
    // The settings page was made again: the status line and the page's signals.
    void ConnectSettings();

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
    // text itself, compared).
    void SetStatus(const QString& text, bool tell, const QString& sameAs = {});
    QString FailureText(const SyncOutcome& outcome) const;
    TCalendarForm* Planner() const;
    TABookForm* AddressBook() const;
    TForm7* Settings() const;

    WindowOf windowOf_;
    TBackgroundSaver& saver_;
    TSyncWorker* worker_;
    QTimer* interval_;
    QTimer* afterSave_;
    QTimer* retry_;
    bool begun_ = false;
    bool again_ = false;
    bool waitingForPassword_ = false;
    bool stateSaving_ = false;
    std::string folder_;
    // The lists as handed over, as stored bytes: what must still be there to take the outcome.
    std::string eventsImage_, contactsImage_;
    std::shared_ptr<SyncOutcome> pending_;
    QString status_;
    QString told_;  // the last failure notified, so a repeating one is told once
};

}  // namespace pomix
