// The field codec: how records and the settings write their variable-length fields.
//
// Text field:  int32 length n; when n > 0 a filler byte (written 0, ignored on reading) and the
//              n bytes of the text (code page 1251, no terminator). An empty text is four zeros.
// String list: int32 (number of strings - 1), so an empty list is -1; then each text field.
// Fixed-width fields (flags, integers, colours, dates) are raw little-endian bytes beside these:
// use Stream::ReadValue / WriteValue.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/stream.h"

namespace pomix {

using StrList = std::vector<std::string>;

void WriteStr(const std::string& text, Stream& stream);
// A negative or zero length reads as the empty text. A length larger than what the stream
// still holds raises EStreamReadError before anything is allocated.
std::string ReadStr(Stream& stream);
// The same into text, replacing what it held: a record's field is read in its place.
void ReadStr(Stream& stream, std::string& text);

void WriteStrList(const StrList& list, Stream& stream);
// A negative count reads as the empty list. A count that the rest of the stream cannot hold
// (every string takes at least four bytes) raises EStreamReadError.
StrList ReadStrList(Stream& stream);
void ReadStrList(Stream& stream, StrList& list);
// A record count read from a stream, cut to how many records of at least leastBytes each the
// rest of the stream can hold: room reserved by it stays within a multiple of the stream's size
// however damaged the count.
inline std::size_t ReadableCount(std::int32_t count, const Stream& stream, std::size_t leastBytes) {
    if (count <= 0) return 0;
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(count), stream.Remaining() / leastBytes));
}

}  // namespace pomix
