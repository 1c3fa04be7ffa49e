// Container loading over arbitrary bytes: every outcome is a load or a storage error, never a
// crash, an overrun or an unbounded allocation; whatever loads saves and loads back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "storage/stream_container.h"

namespace {

std::vector<std::string> Contents(const pomix::StreamContainer& c) {
    std::vector<std::string> contents;
    for (const std::string& name : c.Names()) {
        pomix::MemoryStream s;
        c.GetStream(name, s);
        contents.push_back(name + '\0' + s.ToString());
    }
    return contents;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pomix::StreamContainer c;
    c.Key = "fuzz";  // so enciphered inputs reach the cipher
    pomix::MemoryStream input(pomix::Bytes(data, data + size));
    try {
        c.LoadFromStream(input);
    } catch (const pomix::EStorageError&) {
        return 0;
    }

    pomix::MemoryStream saved;
    c.SaveToStream(saved);
    pomix::StreamContainer again;
    again.Key = c.Key;
    again.LoadFromStream(saved);
    if (Contents(again) != Contents(c) || again.Compressed != c.Compressed ||
        again.Encrypted != (c.Encrypted && !c.Key.empty())) {
        std::abort();
    }
    return 0;
}
