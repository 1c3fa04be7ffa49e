// pomix-data: reads and writes the program's data files from the command line.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>

#include "commands.h"

namespace {

const char kHelp[] =
    "Usage: pomix-data COMMAND ...\n"
    "  lh5 compress IN OUT            compress all of IN (4-byte length, then the bit stream)\n"
    "  lh5 decompress IN OUT          decompress IN\n"
    "  container list FILE            one line per stream: name, tab, size in bytes\n"
    "  container extract FILE NAME OUT\n"
    "                                 write the bytes of stream NAME to OUT\n"
    "  container create OUT [--stored] NAME=FILE ...\n"
    "                                 a container with those streams (compressed unless --stored)\n"
    "  dump settings|notes|calendar|address|catalog|credit FILE\n"
    "                                 print the records of a data file as JSON (UTF-8)\n"
    "  export ics CALENDAR_FILE OUT [--lead MINUTES]\n"
    "                                 the events as iCalendar (alarms MINUTES ahead, default 15)\n"
    "  export vcf ADDRESS_FILE OUT    the contacts as vCard 3.0\n"
    "  export csv KIND FILE OUT       the records of a dump KIND as CSV (UTF-8, header row)\n"
    "  import vcf ADDRESS_FILE IN     add the contacts of a vCard file (2.1, 3.0, 4.0)\n"
    "  import ics CALENDAR_FILE IN    add the events of an iCalendar file\n"
    "  import csv calendar|address FILE IN\n"
    "                                 add the events or contacts of a CSV file\n"
    "                                 (refused while Pomix has the data folder open)\n"
    "  sync DATA_DIR [--server URL] [--user NAME] [--calendar NAME] [--addressbook NAME]\n"
    "       [--allow-http]            two-way sync of the planner and the address book with a\n"
    "                                 CalDAV/CardDAV server (password: POMIX_SYNC_PASSWORD or\n"
    "                                 asked; options are remembered in DATA_DIR/Sync.ini)\n"
    "  backups DATA_DIR               one line per copy in DATA_DIR/Backup: file, date,\n"
    "                                 records, whether it loads\n"
    "  restore DATA_DIR FILE DATE     put that copy back as DATA_DIR/FILE, keeping the\n"
    "                                 current file as a copy (refused while Pomix runs on it)\n"
    "  --help                         print this text\n"
    "  --version                      print the version\n"
    "Exit status: 0 done, 1 error, 2 usage error.\n";

}  // namespace

namespace pomix::tool {

int UsageError(const std::string& message) {
    std::cerr << "pomix-data: " << message << "\n"
              << "Try 'pomix-data --help'.\n";
    return kUsage;
}

}  // namespace pomix::tool

int main(int argc, char** argv) {
    using namespace pomix::tool;
    Args args(argv + 1, argv + argc);
    if (args.empty()) return UsageError("no command given");
    const std::string command = args.front();
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kHelp;
        return kOk;
    }
    if (command == "--version") {
        std::cout << "pomix-data " << POMIX_VERSION << "\n";
        return kOk;
    }
    args.erase(args.begin());
    try {
        if (command == "lh5") return RunLh5(args);
        if (command == "container") return RunContainer(args);
        if (command == "dump") return RunDump(args);
        if (command == "export") return RunExport(args);
        if (command == "import") return RunImport(args);
        if (command == "sync") return RunSync(args);
        if (command == "backups") return RunBackups(args);
        if (command == "restore") return RunRestore(args);
    } catch (const std::bad_alloc&) {
        std::cerr << "Out of memory\n";
        return kError;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return kError;
    }
    return UsageError("unknown command '" + command + "'");
}
