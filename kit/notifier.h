// Desktop notifications: one message naming what the program wants the user to see, shown by
// the desktop's notification service, or by the notification-area icon where only that exists.
// Tests replace the notifier.
#pragma once

#include <QString>
#include <functional>

namespace pomix {

// Returns whether a notification was shown.
using Notifier = std::function<bool(const QString& title, const QString& text)>;

// Installs a notifier and returns the one it replaces; an empty one restores the default.
Notifier SetNotifier(Notifier notifier);
bool Notify(const QString& title, const QString& text);

// The main window's notification-area icon shows messages through this; empty without one.
void SetTrayMessenger(Notifier messenger);

// The default: the freedesktop notification service on the session bus when it is there,
// else the tray's message, else nothing (false).
bool NotifyDesktop(const QString& title, const QString& text);
bool NotificationServicePresent();

}  // namespace pomix
