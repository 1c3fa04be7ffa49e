#include "kit/secret_store.h"

#include <qt6keychain/keychain.h>

#include <map>


namespace pomix {
namespace {

const char kService[] = "Pomix";

SecretStore& Installed() {
    static SecretStore store;
    return store;
}

SecretOutcome OutcomeOf(const QKeychain::Job& job) {
    switch (job.error()) {
        case QKeychain::NoError:
            return SecretOutcome::Done;
        case QKeychain::EntryNotFound:
            return SecretOutcome::NotFound;
        default:
            // No backend, no session bus ("Unknown error"), a locked store the user would not
            // open: in every case the password cannot be kept there.
            return SecretOutcome::NoStore;
    }
}

void DesktopRead(const QString& key, SecretReply reply) {
    auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kService));
    job->setAutoDelete(true);
    // Never the plain-text settings file QtKeychain could fall back to.
    job->setInsecureFallback(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, [reply](QKeychain::Job* done) {
        const auto* read = static_cast<QKeychain::ReadPasswordJob*>(done);
        const SecretOutcome outcome = OutcomeOf(*done);
        reply(outcome, outcome == SecretOutcome::Done ? read->textData() : QString());
    });
    job->start();
}

void DesktopWrite(const QString& key, const QString& password, SecretReply reply) {
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kService));
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    job->setTextData(password);
    QObject::connect(job, &QKeychain::Job::finished,
                     [reply](QKeychain::Job* done) { reply(OutcomeOf(*done), QString()); });
    job->start();
}

}  // namespace

SecretStore SetSecretStore(SecretStore store) {
    SecretStore previous = std::move(Installed());
    Installed() = std::move(store);
    return previous;
}

void ReadSecret(const QString& key, SecretReply reply) {
    if (Installed().Read)
        Installed().Read(key, std::move(reply));
    else
        DesktopRead(key, std::move(reply));
}

void WriteSecret(const QString& key, const QString& password, SecretReply reply) {
    if (Installed().Write)
        Installed().Write(key, password, std::move(reply));
    else
        DesktopWrite(key, password, std::move(reply));
}

namespace {
std::map<QString, QString>& RunPasswords() {
    static std::map<QString, QString> passwords;
    return passwords;
}
}  // namespace

void KeepForRun(const QString& key, const QString& password) {
    RunPasswords()[key] = password;
}

QString KeptForRun(const QString& key) {
    const auto it = RunPasswords().find(key);
    return it == RunPasswords().end() ? QString() : it->second;
}

}  // namespace pomix
