// Container loading over arbitrary bytes: every outcome is a load or a storage error, never a
// crash, an overrun or an unbounded allocation; whatever loads saves and loads back the same.
// Reading a stream while the image is decoded on a second thread ends as the whole load does.
#include <cstdint>
#include <cstdlib>
#include <functional>
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

// How a load of one named stream ended: its bytes, or the kind of error.
std::string Outcome(const std::function<void(std::string&)>& load) {
    std::string got;
    try {
        load(got);
    } catch (const pomix::EDamagedContainer&) {
        return "damaged";
    } catch (const pomix::EStorageError&) {
        return "error";
    }
    return "stream:" + got;
}

// The whole load and the load beside decoding, for one stream name.
void CompareStreamLoads(const std::uint8_t* data, std::size_t size, const std::string& name) {
    const std::string whole = Outcome([&](std::string& got) {
        pomix::StreamContainer c;
        c.Key = "fuzz";
        pomix::MemoryStream input(pomix::Bytes(data, data + size));
        c.LoadFromStream(input);
        pomix::MemoryStream s;
        c.TakeStream(name, s);
        got = s.ToString();
    });
    const std::string beside = Outcome([&](std::string& got) {
        pomix::StreamContainer c;
        c.Key = "fuzz";
        c.ReadStreamFromBytes(
            pomix::Bytes(data, data + size), name,
            [&](pomix::Stream& s) { got = s.ReadText(s.Remaining()); }, 0);
    });
    if (whole != beside) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pomix::StreamContainer c;
    c.Key = "fuzz";  // so enciphered inputs reach the cipher
    pomix::MemoryStream input(pomix::Bytes(data, data + size));
    try {
        c.LoadFromStream(input);
    } catch (const pomix::EStorageError&) {
        CompareStreamLoads(data, size, "ABook");
        return 0;
    }
    for (const std::string& name : c.Names()) CompareStreamLoads(data, size, name);

    pomix::MemoryStream saved;
    c.SaveToStream(saved);
    pomix::StreamContainer again;
    again.Key = c.Key;
    again.LoadFromStream(saved);
    // Images of megabytes that compress thousands of times over are saved stored.
    std::size_t bytes = 0;
    for (const std::string& content : Contents(c)) bytes += content.size();
    const bool mayBeStored = bytes > (7 << 20);
    if (Contents(again) != Contents(c) ||
        (again.Compressed != c.Compressed && !(mayBeStored && c.Compressed)) ||
        again.Encrypted != (c.Encrypted && !c.Key.empty())) {
        std::abort();
    }
    return 0;
}
