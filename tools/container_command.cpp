#include <iostream>

#include "commands.h"
#include "storage/stream.h"
#include "storage/stream_container.h"
#include "storage/text.h"

namespace pomix::tool {
namespace {

int List(const Args& args) {
    if (args.size() != 1) return UsageError("container list takes FILE");
    StreamContainer container;
    container.LoadFromFile(args[0]);
    for (const std::string& name : container.Names()) {
        MemoryStream stream;
        container.GetStream(name, stream);
        std::cout << name << '\t' << stream.Size() << '\n';
    }
    return kOk;
}

int Extract(const Args& args) {
    if (args.size() != 3) return UsageError("container extract takes FILE NAME OUT");
    StreamContainer container;
    container.LoadFromFile(args[0]);
    // Names are found as the container files them: case ignored.
    bool found = false;
    for (const std::string& name : container.Names()) {
        found = found || CompareNoCase(name, args[1]) == 0;
    }
    if (!found) {
        std::cerr << "No stream named " << args[1] << "\n";
        return kError;
    }
    MemoryStream stream;
    container.GetStream(args[1], stream);
    FileStream out(args[2], FileStream::Mode::Create);
    out.Write(stream.Data().data(), stream.Data().size());
    out.Close();
    return kOk;
}

int Create(const Args& args) {
    if (args.empty()) return UsageError("container create takes OUT [--stored] NAME=FILE ...");
    StreamContainer container;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--stored") {
            container.Compressed = false;
            continue;
        }
        const auto eq = args[i].find('=');
        if (eq == std::string::npos || eq == 0) {
            return UsageError("expected NAME=FILE, got '" + args[i] + "'");
        }
        if (eq > 65535) return UsageError("a stream name is at most 65535 bytes");
        MemoryStream data(ReadFileBytes(args[i].substr(eq + 1)));
        container.AddStream(args[i].substr(0, eq), &data);
    }
    container.SaveToFile(args[0]);
    return kOk;
}

}  // namespace

int RunContainer(const Args& args) {
    if (args.empty()) return UsageError("container takes list|extract|create");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "list") return List(rest);
    if (args[0] == "extract") return Extract(rest);
    if (args[0] == "create") return Create(rest);
    return UsageError("unknown container command '" + args[0] + "'");
}

}  // namespace pomix::tool
