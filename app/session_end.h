// Runs the main window's normal shutdown when the run ends without the window being closed:
// the desktop session ends (the session manager's request, or the application quitting) or
// the process receives SIGTERM, SIGHUP or SIGINT. Every change reaches the files only at
// shutdown, so these would otherwise lose the whole run's work. The shutdown runs once.
#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace pomix {

class TMainForm;

class TSessionEnd : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers; only one instance may exist at a time.
    explicit TSessionEnd(TMainForm& form);
    // Restores the signals' default actions.
    ~TSessionEnd() override;

private:
    void SignalArrived();

    TMainForm& form_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace pomix
