#include "tools/stored_password.h"

#ifdef POMIX_WITH_KEYCHAIN
#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <memory>
#endif

namespace pomix::tool {

std::optional<std::string> StoredPassword(const std::string& key) {
#ifdef POMIX_WITH_KEYCHAIN
    // QtKeychain answers through the event loop: a loop of our own for the one question.
    static int argc = 1;
    static char name[] = "pomix-data";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
    QKeychain::ReadPasswordJob job(QStringLiteral("Pomix"));
    job.setAutoDelete(false);
    job.setInsecureFallback(false);  // never a plain-text file
    job.setKey(QString::fromStdString(key));
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() != QKeychain::NoError) return std::nullopt;
    return job.textData().toStdString();
#else
    (void)key;
    return std::nullopt;
#endif
}

}  // namespace pomix::tool
