#include "kit/notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

namespace pomix {
namespace {

const char kService[] = "org.freedesktop.Notifications";

Notifier& Installed() {
    static Notifier notifier;
    return notifier;
}

Notifier& TrayMessenger() {
    static Notifier messenger;
    return messenger;
}

}  // namespace

Notifier SetNotifier(Notifier notifier) {
    Notifier previous = std::move(Installed());
    Installed() = std::move(notifier);
    return previous;
}

bool Notify(const QString& title, const QString& text) {
    return Installed() ? Installed()(title, text) : NotifyDesktop(title, text);
}

void SetTrayMessenger(Notifier messenger) { TrayMessenger() = std::move(messenger); }

bool NotificationServicePresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return false;
    const QString service = QString::fromLatin1(kService);
    if (bus.interface()->isServiceRegistered(service).value()) return true;
    return bus.interface()->activatableServiceNames().value().contains(service);
}

bool NotifyDesktop(const QString& title, const QString& text) {
    if (NotificationServicePresent()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kService), QStringLiteral("/org/freedesktop/Notifications"),
            QString::fromLatin1(kService), QStringLiteral("Notify"));
        call << QStringLiteral("Pomix") << 0u << QString() << title << text << QStringList()
             << QVariantMap() << -1;
        // Sent without waiting for the answer: the reminder never stalls on the desktop.
        return QDBusConnection::sessionBus().send(call);
    }
    return TrayMessenger() && TrayMessenger()(title, text);
}

}  // namespace pomix
