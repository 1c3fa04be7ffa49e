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
    std::string text;
    ReadStr(stream, text);
    return text;
}

void ReadStr(Stream& stream, std::string& text) {
    const auto n = stream.ReadValue<std::int32_t>();
    text.clear();
    if (n <= 0) return;
    // Checked before allocating: a damaged length must not reserve gigabytes.
    if (static_cast<std::uint64_t>(n) + 1 > stream.Remaining()) throw EStreamReadError();
    if (const std::uint8_t* bytes = stream.TakeInPlace(static_cast<std::size_t>(n) + 1)) {
        text.assign(reinterpret_cast<const char*>(bytes) + 1, static_cast<std::size_t>(n));
        return;  // after the filler byte, ignored
    }
    stream.ReadValue<std::uint8_t>();  // filler
    text.resize(static_cast<std::size_t>(n));
    stream.ReadBuffer(text.data(), text.size());
}

void WriteStrList(const StrList& list, Stream& stream) {
    stream.WriteValue(static_cast<std::int32_t>(list.size()) - 1);
    for (const std::string& s : list) WriteStr(s, stream);
}

StrList ReadStrList(Stream& stream) {
    StrList list;
    ReadStrList(stream, list);
    return list;
}

void ReadStrList(Stream& stream, StrList& list) {
    const auto m = stream.ReadValue<std::int32_t>();
    list.clear();
    if (m < 0) return;
    const std::uint64_t count = static_cast<std::uint64_t>(m) + 1;
    // Every text field takes at least its four length bytes.
    if (count * 4 > stream.Remaining()) throw EStreamReadError();
    list.resize(static_cast<std::size_t>(count));
    for (std::string& text : list) ReadStr(stream, text);
}

}  // namespace pomix
