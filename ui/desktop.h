// What the program asks of the desktop: opening documents and addresses, the user's locale,
// the report hook of the core, and bringing the program forward.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "storage/locale.h"

class QUrl;

namespace pomix {

// What actually hands an address to the desktop. Tests install one that records the address
// instead; an empty one restores the desktop's. Returns the one it replaces.
using DesktopOpener = std::function<void(const QUrl& url)>;
DesktopOpener SetDesktopOpener(DesktopOpener opener);

// Asks the desktop to open target with its default program: a web address, a "mailto:"
// target or a document's path. No shell command line is ever formed, so no character of the
// target can run anything. The outcome is ignored.
void ShellOpen(const std::string& target);
// Nothing for an empty address; otherwise a new message to it.
void MailOpen(const std::string& address);
// Nothing for an empty address; otherwise the address, with "http://" in front unless its
// fifth character is ":".
void WebOpen(const std::string& address);

// The desktop locale's short and long date forms and decimal separator.
std::unique_ptr<Locale> MakeDesktopLocale();

// Installs the desktop locale and shows the core's reports (bad dates) in an error box.
void InstallDesktopServices();

// The main window registers how it brings the program forward (restore from the tray and
// raise); the reminder calls it.
void SetBringForward(std::function<void()> handler);
void BringProgramForward();

}  // namespace pomix
