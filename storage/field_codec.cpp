#include "storage/field_codec.h"

#include <cstdint>

#include "storage/errors.h"

namespace pomix {

void WriteStr(const std::string& text, Stream& stream) {
    const auto n = static_cast<std::int32_t>(text.size());
    stream.WriteValue(n);
    if (n > 0) {
        stream.WriteValue<std::uint8_t>(0);
        stream.Write(text.data(), text.size());
    }
}

std::string ReadStr(Stream& stream) {
    const auto n = stream.ReadValue<std::int32_t>();
    if (n <= 0) return {};
    // Checked before allocating: a damaged length must not reserve gigabytes.
    if (static_cast<std::uint64_t>(n) + 1 > stream.Remaining()) throw EStreamReadError();
    stream.ReadValue<std::uint8_t>();  // filler
    return stream.ReadText(static_cast<std::size_t>(n));
}

void WriteStrList(const StrList& list, Stream& stream) {
    stream.WriteValue(static_cast<std::int32_t>(list.size()) - 1);
    for (const std::string& s : list) WriteStr(s, stream);
}

StrList ReadStrList(Stream& stream) {
    const auto m = stream.ReadValue<std::int32_t>();
    StrList list;
    if (m < 0) return list;
    const std::uint64_t count = static_cast<std::uint64_t>(m) + 1;
    // Every text field takes at least its four length bytes.
    if (count * 4 > stream.Remaining()) throw EStreamReadError();
    list.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) list.push_back(ReadStr(stream));
    return list;
}

}  // namespace pomix
