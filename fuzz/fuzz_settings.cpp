// Arbitrary bytes as the "Setting" stream: a read either fails with a read error before the
// 27th field or gives a record that writes back to bytes that read into the same record.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings/settings_record.h"
#include "storage/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pomix::MemoryStream in(pomix::Bytes(data, data + size));
    pomix::TSettingsRecord record;
    try {
        record = pomix::ReadSettings(in);
    } catch (const pomix::EStreamReadError&) {
        if (in.Position() > size) __builtin_trap();
        return 0;
    }
    pomix::MemoryStream out;
    pomix::WriteSettings(record, out);
    // Only the bytes the 27 fields took are written back: a text's filler byte and a flag's
    // value beyond 0 and 1 are the only things that may differ.
    if (out.Size() != in.Position()) __builtin_trap();
    out.Seek(0);
    const pomix::TSettingsRecord again = pomix::ReadSettings(out);
    if (!(again == record) || out.Remaining() != 0) __builtin_trap();
    return 0;
}
