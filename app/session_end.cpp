#include "app/session_end.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <cerrno>
#include <csignal>
#include <stdexcept>

#include "app/main_form.h"

namespace pomix {

namespace {

// The signal handler may only do async-signal-safe work: it writes one byte into a socket
// pair, and the notifier on the other end runs the shutdown on the event loop.
int gSignalSocket[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void OnSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(gSignalSocket[0], &byte, 1);
    errno = saved;
}

}  // namespace

TSessionEnd::TSessionEnd(TMainForm& form) : form_(form) {
    if (gSignalSocket[0] >= 0) throw std::logic_error("TSessionEnd exists already");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalSocket) != 0) {
        throw std::runtime_error("Cannot create the signal socket pair");
    }
    for (int fd : gSignalSocket) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(gSignalSocket[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TSessionEnd::SignalArrived);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);

    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { form_.close(); });
    }
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { form_.Shutdown(); });
}

TSessionEnd::~TSessionEnd() {
    for (int signal : kSignals) ::signal(signal, SIG_DFL);
    delete notifier_;
    for (int& fd : gSignalSocket) {
        ::close(fd);
        fd = -1;
    }
}

void TSessionEnd::SignalArrived() {
    char bytes[16];
    while (::read(gSignalSocket[1], bytes, sizeof bytes) > 0) {
    }
    form_.close();
}

}  // namespace pomix
