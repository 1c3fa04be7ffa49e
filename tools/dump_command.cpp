#include <iostream>
#include <iterator>
#include <sstream>

#include "commands.h"
#include "dump.h"
#include "dump_kinds.h"
#include "storage/errors.h"
#include "storage/stream_container.h"

namespace pomix::tool {

// The kinds of data file the tool can print; each lives in a dump_<kind>.cpp of its own.
const DumpKind kDumpKinds[] = {
    {"notes", DumpNotes},
    {"calendar", DumpCalendar},
    {"settings", DumpSettings},
    {"address", DumpAddress},
    {"catalog", DumpCatalog},
    {"credit", DumpCredit},
};

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
    for (const DumpKind& kind : kDumpKinds) {
        if (kind.dump && args[0] == kind.name) {
            // Printed only when the whole file has been read, so a damaged one prints nothing.
            std::ostringstream out;
            kind.dump(args[1], out);
            std::cout << out.str();
            return kOk;
        }
    }
    return UsageError("unknown kind '" + args[0] + "'");
}

}  // namespace pomix::tool
