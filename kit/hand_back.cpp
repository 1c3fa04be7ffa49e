#include "kit/hand_back.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdint>
#include <stdexcept>

namespace pomix {

THandBack::THandBack(QObject* parent) : QObject(parent) {
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) throw std::runtime_error("eventfd failed");
    notifier_ = new QSocketNotifier(wake_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &THandBack::RunPosted);
}

THandBack::~THandBack() {
    delete notifier_;
    ::close(wake_);
}

void THandBack::Post(std::function<void()> call) {
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    const std::uint64_t one = 1;
    // Fails only when the counter is full, and then the interface thread is woken already.
    [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
}

void THandBack::RunPosted() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wake_, &count, sizeof count);
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(mutex_);
            if (calls_.empty()) return;
            call = std::move(calls_.front());
            calls_.pop_front();
        }
        call();
    }
}

}  // namespace pomix
