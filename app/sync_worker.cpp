#include "app/sync_worker.h"

#include "storage/errors.h"

namespace pomix {

TSyncWorker::TSyncWorker(QObject* parent) : QObject(parent), back_(new THandBack(this)) {}

TSyncWorker::~TSyncWorker() = default;

std::shared_ptr<SyncOutcome> TSyncWorker::Run(SyncJob& job) {
    auto outcome = std::make_shared<SyncOutcome>();
    try {
        outcome->State = sync::LoadState(job.Folder, outcome->Map);
        // A sync with nothing to do writes nothing (a large mapping takes a while to write).
        const sync::SyncState loaded =
            outcome->Map == sync::MapStatus::Read ? outcome->State : sync::SyncState{};
        const auto changed = [&] {
            return outcome->Map != sync::MapStatus::Read || !(outcome->State == loaded);
        };
        sync::SyncRun run(job.Account, job.Options);
        try {
            run.Exchange(job.Events, job.Contacts, outcome->State);
        } catch (const sync::SyncError&) {
            // What the server took is remembered: it matches the untouched data files.
            if (run.Sent() > 0) sync::SaveState(job.Folder, outcome->State);
            throw;
        }
        if (changed()) sync::SaveState(job.Folder, outcome->State);
        run.Apply(job.Events, job.Contacts, outcome->State);
        outcome->StateChanged = changed();
        outcome->Report = run.Report();
        outcome->Events = std::move(job.Events);
        outcome->Contacts = std::move(job.Contacts);
        outcome->Ok = true;
    } catch (const sync::SyncError& e) {
        outcome->Failure = e.Kind;
        outcome->Status = e.Status;
        outcome->Message = e.what();
    } catch (const EStorageError& e) {
        outcome->StateUnwritable = true;
        outcome->Message = e.what();
    } catch (const std::exception& e) {
        outcome->Message = e.what();
    }
    return outcome;
}

bool TSyncWorker::Start(SyncJob job) {
    if (running_) return false;
    running_ = true;
    queue_.Post([this, job = std::move(job)]() mutable {
        std::shared_ptr<SyncOutcome> outcome = Run(job);
        back_->Post([this, outcome] {
            outcome_ = outcome;
            running_ = false;
            emit finished();
        });
    });
    return true;
}

}  // namespace pomix
