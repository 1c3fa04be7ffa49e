// What the program asks of the desktop: opening documents and addresses, the core's locale,
// the report hook of the core, and bringing the program forward.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "storage/locale.h"

class QLocale;
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

// A date format ("dddd, d MMMM yyyy") less its weekday field and the separator that goes with
// it ("d MMMM yyyy"): the long form for birth dates.
QString DateFormatWithoutWeekday(const QString& format);

// A short date format with its year written whole ("M/d/yy" gives "M/d/yyyy"): a birth year
// or a due date decades away must not read as two digits.
QString ShortDateFormatWithFullYear(const QString& format);

// The core's short and long date forms and decimal separator, in the given locale's forms.
std::unique_ptr<Locale> MakeDesktopLocale(const QLocale& locale);

// Installs the interface language's locale (kit/interface_language.h) and shows the core's reports (bad dates) in an error box.
void InstallDesktopServices();

// The main window registers how it brings the program forward (restore from the tray and
// raise); the reminder calls it.
void SetBringForward(std::function<void()> handler);
void BringProgramForward();

}  // namespace pomix
