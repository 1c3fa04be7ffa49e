#include "app/sync_control.h"

#include <QDateTime>
#include <QPointer>

#include "core/addressbook/address_book.h"
#include "core/planner/calendar_format.h"
#include "core/planner/planner.h"
#include "core/settings/program_files.h"
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

TSyncControl::TSyncControl(SyncParts parts, TBackgroundSaver& saver, QObject* parent)
    : QObject(parent),
      parts_(std::move(parts)),
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
}

void TSyncControl::Begin() {
    if (begun_) return;
    begun_ = true;
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
    if (Running() || waitingForPassword_) {
        again_ = true;
        return;
    }
    const sync::SyncSettings options = sync::LoadSyncSettings(folder_);
    if (options.Server.empty()) {
        SetStatus(Text(SyncText::NoServer), false);
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
        const sync::SyncSettings now = sync::LoadSyncSettings(self->folder_);
        if (outcome == SecretOutcome::Done && !password.isEmpty()) {
            KeepForRun(key, password);
            self->StartWith(now, password);
        } else if (outcome == SecretOutcome::NoStore) {
            self->passwordStoreMissing_ = true;
            self->SetStatus(self->Text(SyncText::NoStore) + QLatin1Char(' ') +
                                self->Text(SyncText::NoPassword),
                            true);
        } else {
            self->SetStatus(self->Text(SyncText::NoPassword), true);
        }
    });
}

void TSyncControl::StartWith(const sync::SyncSettings& options, const QString& password) {
    Planner* planner = parts_.planner();
    AddressBook* book = parts_.addressBook();
    if (!planner || !book || !planner->Loaded() || !book->Loaded()) return;
    SyncJob job;
    job.Account = {options.Server, options.User, password.toStdString(), options.AllowPlainHttp};
    job.Options.Calendar = options.Calendar;
    job.Options.AddressBook = options.AddressBook;
    job.Folder = folder_;
    job.Events = planner->Events;
    job.Contacts = book->Contacts;
    eventsImage_ = ImageOf(job.Events);
    contactsImage_ = ImageOf(job.Contacts);
    again_ = false;
    // The lists handed over hold every change saved so far.
    afterSave_->stop();
    worker_->Start(std::move(job));
    SetStatus(Text(SyncText::Running), false);
}

QString TSyncControl::FailureText(const SyncOutcome& outcome) const {
    if (outcome.StateUnwritable)
        return Text(SyncText::FileError).arg(QString::fromLocal8Bit(outcome.Message.c_str()));
    switch (outcome.Failure) {
        case sync::SyncFailure::Unreachable:
            return Text(SyncText::Unreachable);
        case sync::SyncFailure::Refused:
            if (outcome.Status == 401 || outcome.Status == 403) return Text(SyncText::Unauthorized);
            return Text(SyncText::Refused).arg(outcome.Status);
        case sync::SyncFailure::BadAnswer:
            return Text(SyncText::BadAnswer);
        case sync::SyncFailure::Address:
            return Text(SyncText::BadAddress);
        case sync::SyncFailure::Missing:
            return Text(SyncText::Missing);
        case sync::SyncFailure::Other:
            break;
    }
    // No words of the interface language for it: the engine's own.
    return QString::fromStdString(outcome.Message);
}

void TSyncControl::Finished() {
    std::shared_ptr<SyncOutcome> outcome = worker_->Outcome();
    if (!outcome) return;
    if (!outcome->Ok) {
        const QString time = InterfaceLocale().toString(QTime::currentTime(), QLocale::ShortFormat);
        const QString reason = FailureText(*outcome);
        SetStatus(Text(SyncText::Failed).arg(time, reason), true, reason);
        emit ended();
        if (again_) QTimer::singleShot(0, this, &TSyncControl::Synchronize);
        return;
    }
    pending_ = outcome;
    TryApply();
}

void TSyncControl::TryApply() {
    if (!pending_) return;
    Planner* planner = parts_.planner();
    AddressBook* book = parts_.addressBook();
    if (!planner || !book) {
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
    if (ImageOf(planner->Events) != eventsImage_ || ImageOf(book->Contacts) != contactsImage_) {
        // Changed here meanwhile: Sync.map still describes the lists as handed over, so the
        // next run sends these changes and takes the server's again.
        SetStatus(Text(SyncText::Waiting), false);
        emit ended();
        QTimer::singleShot(0, this, &TSyncControl::Synchronize);
        return;
    }
    if (events) planner->ReplaceEvents(outcome->Events);
    if (contacts) book->ReplaceContacts(outcome->Contacts);
    // The data files first, then the mapping that describes them.
    for (SectionModel* model : {static_cast<SectionModel*>(planner), static_cast<SectionModel*>(book)}) {
        if (std::optional<SaveWork> work = TakeModelSave(*model)) saver_.Post(std::move(*work));
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
    QString text = Text(SyncText::Done).arg(
        InterfaceLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
    text = Arg(text, total(le, lc, &sync::SideCounts::Added));
    text = Arg(text, total(le, lc, &sync::SideCounts::Changed));
    text = Arg(text, total(le, lc, &sync::SideCounts::Deleted));
    text = Arg(text, total(se, sc, &sync::SideCounts::Added));
    text = Arg(text, total(se, sc, &sync::SideCounts::Changed));
    text = Arg(text, total(se, sc, &sync::SideCounts::Deleted));
    const std::size_t conflicts = report.Events.Conflicts + report.Contacts.Conflicts;
    if (conflicts > 0)
        text += QLatin1Char(' ') + Arg(Text(SyncText::Conflicts), conflicts);
    // Items left as they were are counted on the line; the notification names them too.
    const std::size_t skipped = report.Events.Skipped + report.Contacts.Skipped;
    const std::size_t refused = report.Events.Refused + report.Contacts.Refused;
    if (skipped > 0) text += QLatin1Char(' ') + Arg(Text(SyncText::Skipped), skipped);
    if (refused > 0) text += QLatin1Char(' ') + Arg(Text(SyncText::RefusedItems), refused);
    // Without a secret store the password is asked again at the next start: the line says so.
    if (passwordStoreMissing_) text += QLatin1Char(' ') + Text(SyncText::NoStore);
    told_.clear();  // a success ends a series of failures: the next one is told again
    QString named;
    for (const std::string& note : report.Notes) named += QLatin1Char('\n') + QString::fromStdString(note);
    SetStatus(text, conflicts + skipped + refused > 0, {}, named);
    emit ended();
}

void TSyncControl::SetStatus(const QString& text, bool tell, const QString& sameAs,
                             const QString& told) {
    status_ = text;
    const QString what = sameAs.isEmpty() ? text : sameAs;
    if (tell && what != told_) Notify(Text(SyncText::Title), text + told);
    if (tell) told_ = what;
    emit statusChanged(text);
}

}  // namespace pomix
