// Passwords kept in the desktop's secret store (the Secret Service or KWallet, through
// QtKeychain) under the service "Pomix" (kSecretService), never in a file of the program. Every call answers
// later, on the interface thread: the store may ask the user to unlock it.
//
// Where no store answers (no session bus, no service: headless runs), the answer says so and
// the caller keeps the password in memory for the run only.
#pragma once

#include <QString>
#include <functional>

namespace pomix {

enum class SecretOutcome {
    Done,      // read or written
    NotFound,  // nothing stored under that key
    NoStore,   // no secret store could be reached, or it refused
};

using SecretReply = std::function<void(SecretOutcome outcome, const QString& password)>;

struct SecretStore {
    std::function<void(const QString& key, SecretReply reply)> Read;
    std::function<void(const QString& key, const QString& password, SecretReply reply)> Write;
};

// Installs a store (tests) and returns the one it replaces; an empty one restores the
// desktop's.
SecretStore SetSecretStore(SecretStore store);
void ReadSecret(const QString& key, SecretReply reply);
void WriteSecret(const QString& key, const QString& password, SecretReply reply);

// The passwords of this run, in memory only: what was typed, or read from the store once.
void KeepForRun(const QString& key, const QString& password);
QString KeptForRun(const QString& key);

}  // namespace pomix
