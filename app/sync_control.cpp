#include "app/sync_control.h"

#include <QDateTime>
#include <QPointer>

#include "windows/addressbook/abook_form.h"
#include "windows/planner/calendar_form.h"
#include "core/planner/calendar_format.h"
#include "core/settings/program_files.h"
#include "windows/settings/setup_form.h"
#include "storage/stream.h"
#include "kit/interface_language.h"
#include "kit/notifier.h"
#include "kit/secret_store.h"
#include "sync/state.h"

namespace pomix {
namespace {

std::string ImageOf(const EventList& events) {
    MemoryStream stream;
    WriteCalendar(events, stream);
    return stream.ToString();
}

std::string ImageOf(const AddressList& contacts) {
    MemoryStream stream;
    WriteAddressList(contacts, stream);
    return stream.ToString();
}

QString Arg(QString text, std::size_t value) {
    return text.arg(static_cast<qulonglong>(value));
}

}  // namespace

TSyncControl::TSyncControl(WindowOf windowOf, TBackgroundSaver& saver, QObject* parent)
    : QObject(parent),
      windowOf_(std::move(windowOf)),
      saver_(saver),
      worker_(new TSyncWorker(this)),
      interval_(new QTimer(this)),
      afterSave_(new QTimer(this)),
      retry_(new QTimer(this)),
      folder_(DataDir()) {
    afterSave_->setSingleShot(true);
    afterSave_->setInterval(kAfterSaveDelay);
    retry_->setSingleShot(true);
    retry_->setInterval(kRetryDelay);
    connect(worker_, &TSyncWorker::finished, this, &TSyncControl::Finished);
    connect(interval_, &QTimer::timeout, this, &TSyncControl::Synchronize);
    connect(afterSave_, &QTimer::timeout, this, &TSyncControl::Synchronize);
    connect(retry_, &QTimer::timeout, this, &TSyncControl::TryApply);
    ConnectSettings();
}

TCalendarForm* TSyncControl::Planner() const {
    return qobject_cast<TCalendarForm*>(windowOf_(0));
}

TABookForm* TSyncControl::AddressBook() const {
    return qobject_cast<TABookForm*>(windowOf_(1));
}

TForm7* TSyncControl::Settings() const {
    return qobject_cast<TForm7*>(windowOf_(5));
}

void TSyncControl::ConnectSettings() {
    TForm7* settings = Settings();
    if (!settings) return;
    connect(settings, &TForm7::syncRequested, this, &TSyncControl::Synchronize,
            Qt::UniqueConnection);
    connect(settings, &TForm7::syncOptionsSaved, this, &TSyncControl::OptionsChanged,
            Qt::UniqueConnection);
    if (!status_.isEmpty()) settings->ShowSyncStatus(status_);
}

void TSyncControl::Begin() {
    if (begun_) return;
    begun_ = true;
    // The page's texts speak the dictionary's language also before the page was first shown.
    if (TForm7* settings = Settings()) settings->Binding().ReadDictionary();
    OptionsChanged();
    if (!sync::LoadSyncSettings(folder_).Server.empty()) Synchronize();
}

void TSyncControl::OptionsChanged() {
    const int minutes = sync::LoadSyncSettings(folder_).IntervalMinutes;
    if (minutes > 0 && begun_) {
        interval_->start(minutes * 60'000);
    } else {
        interval_->stop();
    }
}

void TSyncControl::LocalChangeSaved() {
    if (begun_ && !sync::LoadSyncSettings(folder_).Server.empty()) afterSave_->start();
}

void TSyncControl::Synchronize() {
    TForm7* settings = Settings();
    if (!settings) return;
    if (Running() || waitingForPassword_) {
        again_ = true;
        return;
    }
    const sync::SyncSettings options = sync::LoadSyncSettings(folder_);
    if (options.Server.empty()) {
        SetStatus(settings->syncTexts.noServer->Text, false);
        return;
    }
    if (options.User.empty()) {
        StartWith(options, {});
        return;
    }
    const QString key = QString::fromStdString(sync::PasswordKey(options.Server, options.User));
    if (const QString kept = KeptForRun(key); !kept.isEmpty()) {
        StartWith(options, kept);
        return;
    }
    waitingForPassword_ = true;
    QPointer<TSyncControl> self(this);
    ReadSecret(key, [self, key](SecretOutcome outcome, const QString& password) {
        if (!self) return;
        self->waitingForPassword_ = false;
        TForm7* settings = self->Settings();
        if (!settings) return;
        const sync::SyncSettings now = sync::LoadSyncSettings(self->folder_);
        if (outcome == SecretOutcome::Done && !password.isEmpty()) {
            KeepForRun(key, password);
            self->StartWith(now, password);
        } else if (outcome == SecretOutcome::NoStore) {
            settings->passwordStoreMissing = true;
            self->SetStatus(settings->syncTexts.noStore->Text + QLatin1Char(' ') +
                                settings->syncTexts.noPassword->Text,
                            true);
        } else {
            self->SetStatus(settings->syncTexts.noPassword->Text, true);
        }
    });
}

void TSyncControl::StartWith(const sync::SyncSettings& options, const QString& password) {
    TCalendarForm* planner = Planner();
    TABookForm* book = AddressBook();
    TForm7* settings = Settings();
    if (!planner || !book || !settings || !planner->Loaded() || !book->Loaded()) return;
    SyncJob job;
    job.Account = {options.Server, options.User, password.toStdString(), options.AllowPlainHttp};
    job.Options.Calendar = options.Calendar;
    job.Options.AddressBook = options.AddressBook;
    job.Folder = folder_;
    job.Events = planner->Data().Events;
    job.Contacts = book->Contacts();
    eventsImage_ = ImageOf(job.Events);
    contactsImage_ = ImageOf(job.Contacts);
    again_ = false;
    // The lists handed over hold every change saved so far.
    afterSave_->stop();
    worker_->Start(std::move(job));
    SetStatus(settings->syncTexts.running->Text, false);
}

QString TSyncControl::FailureText(const SyncOutcome& outcome) const {
    const TForm7::SyncTexts& t = Settings()->syncTexts;
    if (outcome.StateUnwritable)
        return t.fileError->Text.arg(QString::fromLocal8Bit(outcome.Message.c_str()));
    switch (outcome.Failure) {
        case sync::SyncFailure::Unreachable:
            return t.unreachable->Text;
        case sync::SyncFailure::Refused:
            if (outcome.Status == 401 || outcome.Status == 403) return t.unauthorized->Text;
            return t.refused->Text.arg(outcome.Status);
        case sync::SyncFailure::BadAnswer:
            return t.badAnswer->Text;
        case sync::SyncFailure::Address:
            return t.badAddress->Text;
        case sync::SyncFailure::Missing:
            return t.missing->Text;
        case sync::SyncFailure::Other:
            break;
    }
    // No words of the interface language for it: the engine's own.
    return QString::fromStdString(outcome.Message);
}

void TSyncControl::Finished() {
    std::shared_ptr<SyncOutcome> outcome = worker_->Outcome();
    TForm7* settings = Settings();
    if (!outcome || !settings) return;
    if (!outcome->Ok) {
        const QString time = InterfaceLocale().toString(QTime::currentTime(), QLocale::ShortFormat);
        const QString reason = FailureText(*outcome);
        SetStatus(settings->syncTexts.failed->Text.arg(time, reason), true, reason);
        emit ended();
        if (again_) QTimer::singleShot(0, this, &TSyncControl::Synchronize);
        return;
    }
    pending_ = outcome;
    TryApply();
}

void TSyncControl::TryApply() {
    if (!pending_) return;
    TCalendarForm* planner = Planner();
    TABookForm* book = AddressBook();
    TForm7* settings = Settings();
    if (!planner || !book || !settings) {
        pending_.reset();
        return;
    }
    const sync::SyncReport& report = pending_->Report;
    const bool events = report.Events.LocalChanged(), contacts = report.Contacts.LocalChanged();
    // Neither a half-typed record nor a write still out is run over.
    if ((events && (planner->Editing() || planner->Saving())) ||
        (contacts && (book->Editing() || book->Saving()))) {
        retry_->start();
        return;
    }
    std::shared_ptr<SyncOutcome> outcome = std::move(pending_);
    if (ImageOf(planner->Data().Events) != eventsImage_ ||
        ImageOf(book->Contacts()) != contactsImage_) {
        // Changed here meanwhile: Sync.map still describes the lists as handed over, so the
        // next run sends these changes and takes the server's again.
        SetStatus(settings->syncTexts.waiting->Text, false);
        emit ended();
        QTimer::singleShot(0, this, &TSyncControl::Synchronize);
        return;
    }
    if (events) planner->TakeSyncedEvents(outcome->Events);
    if (contacts) book->TakeSyncedContacts(outcome->Contacts);
    // The data files first, then the mapping that describes them.
    for (TSectionWindow* window :
         {static_cast<TSectionWindow*>(planner), static_cast<TSectionWindow*>(book)}) {
        if (std::optional<SaveWork> work = window->TakeSave()) saver_.Post(std::move(*work));
    }
    if (outcome->StateChanged) {
        const std::string folder = folder_;
        auto state = std::make_shared<sync::SyncState>(std::move(outcome->State));
        // The next run reads the mapping: it waits for this write.
        stateSaving_ = true;
        QPointer<TSyncControl> self(this);
        saver_.Post({folder + "/" + sync::kMapFileName,
                     [folder, state] { sync::SaveState(folder, *state); },
                     [self](bool) {
                         if (!self) return;
                         self->stateSaving_ = false;
                         if (self->again_) self->Synchronize();
                     }});
    } else if (again_) {
        QTimer::singleShot(0, this, &TSyncControl::Synchronize);
    }

    const auto total = [](const sync::SideCounts& a, const sync::SideCounts& b,
                          std::size_t sync::SideCounts::*field) { return a.*field + b.*field; };
    const sync::SideCounts &le = report.Events.Local, &lc = report.Contacts.Local;
    const sync::SideCounts &se = report.Events.Server, &sc = report.Contacts.Server;
    QString text = settings->syncTexts.done->Text.arg(
        InterfaceLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
    text = Arg(text, total(le, lc, &sync::SideCounts::Added));
    text = Arg(text, total(le, lc, &sync::SideCounts::Changed));
    text = Arg(text, total(le, lc, &sync::SideCounts::Deleted));
    text = Arg(text, total(se, sc, &sync::SideCounts::Added));
    text = Arg(text, total(se, sc, &sync::SideCounts::Changed));
    text = Arg(text, total(se, sc, &sync::SideCounts::Deleted));
    const std::size_t conflicts = report.Events.Conflicts + report.Contacts.Conflicts;
    if (conflicts > 0)
        text += QLatin1Char(' ') + Arg(settings->syncTexts.conflicts->Text, conflicts);
    // Without a secret store the password is asked again at the next start: the line says so.
    if (settings->passwordStoreMissing) text += QLatin1Char(' ') + settings->syncTexts.noStore->Text;
    told_.clear();  // a success ends a series of failures: the next one is told again
    SetStatus(text, conflicts > 0);
    emit ended();
}

void TSyncControl::SetStatus(const QString& text, bool tell, const QString& sameAs) {
    status_ = text;
    const QString what = sameAs.isEmpty() ? text : sameAs;
    if (TForm7* settings = Settings()) {
        settings->ShowSyncStatus(text);
        if (tell && what != told_) Notify(settings->syncTexts.title->Text, text);
    }
    if (tell) told_ = what;
    emit statusChanged(text);
}

}  // namespace pomix
