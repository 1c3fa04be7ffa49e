// `pomix-data sync DATA_DIR [--server URL] [--user NAME] [--calendar NAME] [--addressbook NAME]
// [--allow-http] [--timeout SECONDS]`: one two-way sync of the folder's planner and address book with a CalDAV /
// CardDAV server.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "core/addressbook/address.h"
#include "commands.h"
#include "dump.h"
#include "core/planner/calendar_format.h"
#include "storage/data_lock.h"
#include "storage/errors.h"
#include "storage/stream_container.h"
#include "sync/engine.h"
#include "tools/stored_password.h"

namespace pomix::tool {
namespace {

constexpr char kPasswordVariable[] = "POMIX_SYNC_PASSWORD";

int Fail(const std::string& message) {
    std::cerr << "pomix-data sync: " << message << "\n";
    return kError;
}

// The password typed on the terminal without echo; nothing when there is no terminal.
bool AskPassword(const std::string& user, const std::string& server, std::string& password) {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return false;
    const std::string prompt = "Password for " + user + " at " + server + ": ";
    (void)!::write(tty, prompt.data(), prompt.size());
    termios old{};
    const bool canHide = ::tcgetattr(tty, &old) == 0;
    if (canHide) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    password.clear();
    char c;
    while (::read(tty, &c, 1) == 1 && c != '\n' && password.size() < 4096) password += c;
    if (canHide) ::tcsetattr(tty, TCSAFLUSH, &old);
    (void)!::write(tty, "\n", 1);
    ::close(tty);
    return true;
}

template <class Read>
bool LoadFile(const std::string& path, const char* stream, Read read, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return true;  // nothing yet: an empty list
    try {
        ReadDataFile(path, stream, read);
        return true;
    } catch (const ECorruptFile&) {
        error = path + ": File is corrupt. Nothing was synced";
        return false;
    }
}

void PrintSide(const char* side, const sync::SideCounts& c) {
    std::cout << "  " << side << c.Added << " added, " << c.Changed << " changed, " << c.Deleted
              << " deleted, " << c.Kept << " kept\n";
}

void PrintKind(const char* what, const sync::KindReport& r) {
    std::cout << what << " " << r.Collection << (r.Created ? " (created)" : "") << "\n";
    PrintSide("here:   ", r.Local);
    PrintSide("server: ", r.Server);
    if (r.Conflicts) {
        std::cout << "  " << r.Conflicts << " conflicts: both versions kept, this computer's "
                  << "named \"..." << sync::kConflictSuffix << "\"\n";
    }
    if (r.LeftLocal) std::cout << "  " << r.LeftLocal << " left here (no valid date)\n";
    if (r.Skipped) {
        std::cout << "  " << r.Skipped << " skipped on the server (too large or unreadable)\n";
    }
    if (r.Refused) std::cout << "  " << r.Refused << " refused by the server, kept here\n";
}

}  // namespace

int RunSync(const Args& args) {
    std::string folder;
    sync::SyncSettings given;
    bool server = false, user = false, calendar = false, book = false, allowHttp = false;
    std::string timeoutText;
    bool timeoutGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::string& into, bool& seen) {
            if (i + 1 == args.size()) return false;
            into = args[++i];
            seen = true;
            return true;
        };
        bool ok = true;
        if (a == "--server") ok = value(given.Server, server);
        else if (a == "--user") ok = value(given.User, user);
        else if (a == "--calendar") ok = value(given.Calendar, calendar);
        else if (a == "--addressbook") ok = value(given.AddressBook, book);
        else if (a == "--allow-http") allowHttp = true;
        else if (a == "--timeout") ok = value(timeoutText, timeoutGiven);
        else if (a.starts_with("--")) return UsageError("sync: unknown option '" + a + "'");
        else if (folder.empty()) folder = a;
        else return UsageError("sync takes one DATA_DIR");
        if (!ok) return UsageError("sync: " + a + " takes a value");
    }
    if (folder.empty()) {
        return UsageError("sync takes DATA_DIR [--server URL] [--user NAME] [--calendar NAME] "
                          "[--addressbook NAME] [--allow-http] [--timeout SECONDS]");
    }
    sync::SyncOptions options;
    if (timeoutGiven) {
        char* end = nullptr;
        const long seconds = std::strtol(timeoutText.c_str(), &end, 10);
        if (timeoutText.empty() || *end != '\0' || seconds < 1 || seconds > 86400) {
            return UsageError("sync: --timeout takes whole seconds, 1 to 86400");
        }
        options.Timeout = std::chrono::seconds(seconds);
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return Fail(folder + " is not a folder");

    DataFolderLock lock(folder);
    if (lock.GetState() == DataFolderLock::State::HeldElsewhere) {
        return Fail("Pomix has the data folder " + folder + " open; close the program and sync "
                    "again");
    }
    if (!lock.Locked()) return Fail(lock.Error());

    sync::SyncSettings settings = sync::LoadSyncSettings(folder);
    if (server) settings.Server = given.Server;
    if (user) settings.User = given.User;
    if (calendar) settings.Calendar = given.Calendar;
    if (book) settings.AddressBook = given.AddressBook;
    if (allowHttp) settings.AllowPlainHttp = true;
    if (settings.Server.empty()) return UsageError("sync: no server yet; give --server URL");

    sync::Account account{settings.Server, settings.User, {}, settings.AllowPlainHttp};
    if (const char* password = std::getenv(kPasswordVariable)) {
        account.Password = password;
    } else if (!account.User.empty()) {
        if (auto stored = StoredPassword(sync::PasswordKey(account.Server, account.User))) {
            account.Password = std::move(*stored);
        } else if (!AskPassword(account.User, account.Server, account.Password)) {
            return Fail(std::string("no password: set ") + kPasswordVariable +
                        ", keep it in the secret store from Pomix's settings, or run on a "
                        "terminal");
        }
    }

    const std::string calendarPath = folder + "/" + kCalendarFile;
    const std::string addressPath = folder + "/" + kAddressFileName;
    EventList events;
    AddressList contacts;
    std::string error;
    if (!LoadFile(calendarPath, kCalendarStream, [&](Stream& s) { ReadCalendar(s, events); },
                  error) ||
        !LoadFile(addressPath, kAddressStreamName,
                  [&](Stream& s) { ReadAddressList(s, contacts); }, error)) {
        return Fail(error);
    }

    options.Calendar = settings.Calendar;
    options.AddressBook = settings.AddressBook;
    const auto saveLists = [&](const sync::SyncReport& report) {
        if (report.Events.LocalChanged()) {
            MemoryStream stream;
            WriteCalendar(events, stream);
            StreamContainer container;
            SaveSingleStream(container, calendarPath, kCalendarStream, stream);
        }
        if (report.Contacts.LocalChanged()) {
            MemoryStream stream;
            WriteAddressList(contacts, stream);
            StreamContainer container;
            SaveSingleStream(container, addressPath, kAddressStreamName, stream);
        }
    };
    sync::MapStatus mapStatus = sync::MapStatus::Read;
    sync::SyncReport report;
    try {
        report = sync::Synchronize(account, options, folder, events, contacts, saveLists,
                                   &mapStatus);
    } catch (const sync::SyncError& e) {
        // The engine's message says what Sync.map recorded of what the server took.
        return Fail(std::string(e.what()) + ". No data file in " + folder + " was changed");
    }
    if (mapStatus == sync::MapStatus::Damaged) {
        std::cerr << "pomix-data sync: " << sync::kMapFileName
                  << " was damaged; everything was compared by content (nothing deleted)\n";
    }
    sync::SaveSyncSettings(folder, settings);

    for (const std::string& note : report.Notes) std::cerr << "pomix-data sync: " << note << "\n";
    PrintKind("calendar", report.Events);
    PrintKind("address book", report.Contacts);
    return kOk;
}

}  // namespace pomix::tool
