#include <iostream>

#include "commands.h"
#include "dump.h"
#include "dump_kinds.h"
#include "json.h"
#include "storage/errors.h"
#include "storage/stream_container.h"

namespace pomix::tool {

// The kinds of data file the tool can print; each lives in a dump_<kind>.cpp of its own.
const DumpKind kDumpKinds[] = {
    {"notes", NotesTable},     {"calendar", CalendarTable}, {"settings", SettingsTable},
    {"address", AddressTable}, {"catalog", CatalogTable},   {"credit", CreditTable},
};

const DumpKind* FindDumpKind(const std::string& name) {
    for (const DumpKind& kind : kDumpKinds) {
        if (name == kind.name) return &kind;
    }
    return nullptr;
}

void ReadDataFile(const std::string& path, const std::string& streamName,
                  const std::function<void(Stream&)>& read) {
    StreamContainer container;
    container.LoadFromFile(path);
    MemoryStream stream;
    container.GetStream(streamName, stream);
    try {
        read(stream);
    } catch (const EStreamReadError&) {
        throw ECorruptFile();
    }
}

int RunDump(const Args& args) {
    if (args.size() != 2) return UsageError("dump takes KIND FILE");
    const DumpKind* kind = FindDumpKind(args[0]);
    if (!kind) return UsageError("unknown kind '" + args[0] + "'");
    // Printed only when the whole file has been read, so a damaged one prints nothing.
    std::cout << TableJson(kind->table(args[1]));
    return kOk;
}

}  // namespace pomix::tool
