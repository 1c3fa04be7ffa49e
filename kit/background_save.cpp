#include "kit/background_save.h"

#include <exception>

#include "kit/message.h"

namespace pomix {

std::optional<SaveWork> TakeModelSave(SectionModel& model) {
    const std::shared_ptr<FileImage> image = model.TakeWrite();
    if (!image) return std::nullopt;
    return SaveWork{image->path, [image] { image->Write(); },
                    [life = model.Life(), image](bool ok) {
                        if (const auto alive = life.lock()) (*alive)->Written(*image, ok);
                    }};
}

TBackgroundSaver::TBackgroundSaver(QObject* parent) : QObject(parent) {}

TBackgroundSaver::~TBackgroundSaver() { queue_.Wait(); }

void TBackgroundSaver::Post(SaveWork work) {
    ++pending_;
    queue_.Post([this, work = std::move(work)]() mutable {
        Outcome outcome{std::move(work), {}, {}};
        try {
            outcome.work.write();
        } catch (const std::exception& e) {
            outcome.error = e.what();
            if (outcome.error.empty()) outcome.error = "Write error";
            outcome.failure = std::current_exception();
        } catch (...) {
            outcome.error = "Write error";
            outcome.failure = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            outcomes_.push_back(std::move(outcome));
        }
        handBack_.Post([this] { Deliver(); });
    });
}

void TBackgroundSaver::Finish() {
    queue_.Wait();
    Deliver();
}

void TBackgroundSaver::Deliver() {
    for (;;) {
        Outcome outcome;
        {
            std::lock_guard lock(mutex_);
            if (outcomes_.empty()) return;
            outcome = std::move(outcomes_.front());
            outcomes_.pop_front();
        }
        --pending_;
        const bool ok = outcome.error.empty();
        if (outcome.work.written) outcome.work.written(ok);
        const std::string& path = outcome.work.path;
        if (ok) {
            told_.erase(path);
        } else if (told_.insert(path).second) {
            ShowError(MessageString("SaveFailed")
                          .arg(MessageArg(path), FileFailureReason(outcome.failure)));
        }
        emit saved(ok);
    }
}

}  // namespace pomix
