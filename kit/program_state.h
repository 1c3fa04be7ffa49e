// What a section may ask of the program as a whole without knowing the main window: whether
// the start-up password is still awaited, whether the shutdown has begun, and whether a modal
// dialog is open. The main window answers the first two and announces the end of a shutdown.
#pragma once

#include <QObject>
#include <functional>
#include <string>

namespace pomix {

class TProgramState : public QObject {
    Q_OBJECT
public:
    static TProgramState& Instance();

    // Installed by the main window; empty answers "no".
    std::function<bool()> PasswordPending;
    std::function<bool()> ShutdownBegun;  // a shutdown is running or has succeeded
    // Puts the daily copy "<file>.<tag>" back in place of its data file and reloads what
    // reads it; the main window installs it. True when the copy was put back.
    std::function<bool(const std::string& file, const std::string& tag)> RestoreBackup;

    bool IsPasswordPending() const { return PasswordPending && PasswordPending(); }
    bool IsShutdownBegun() const { return ShutdownBegun && ShutdownBegun(); }

signals:
    // The shutdown has succeeded: nothing is to run any more.
    void shutdownDone();
};

// A message box, the date picker or any other modal window is open.
bool ModalShowing();

// Counts a modal question or message for ModalShowing while it is up, also where tests answer
// it without a window.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

}  // namespace pomix
