#include "commands.h"
#include "storage/lh5.h"
#include "storage/stream.h"

namespace pomix::tool {

// Both directions stream file to file, so memory stays bounded whatever the file size.
int RunLh5(const Args& args) {
    if (args.size() != 3) return UsageError("lh5 takes compress|decompress IN OUT");
    const std::string& direction = args[0];
    if (direction != "compress" && direction != "decompress") {
        return UsageError("unknown lh5 direction '" + direction + "'");
    }
    FileStream in(args[1], FileStream::Mode::Read);
    FileStream out(args[2], FileStream::Mode::Create);
    if (direction == "compress") {
        Compress(in, out);
    } else {
        Decompress(in, out);
    }
    out.Close();
    return kOk;
}

}  // namespace pomix::tool
