// The property every record stream keeps: whatever a read leaves in the list, the records of a
// whole stream or those read before a damaged stream ended, writes back to bytes that read
// whole into the same records. Records are compared through their written bytes, so dates
// that are NaN compare by their bits.
#pragma once

#include <string>

#include "storage/errors.h"
#include "storage/stream.h"

namespace pomix::fuzz {

template <class List, class Read, class Write>
void CheckRoundTrip(const std::string& bytes, Read read, Write write) {
    MemoryStream in(bytes);
    List list;
    try {
        read(in, list);
    } catch (const EStorageError&) {
        // A short stream, or one the reader calls damaged: the records read so far stay, and
        // a later save writes them.
    }
    if (in.Position() > bytes.size()) __builtin_trap();

    MemoryStream out;
    write(list, out);
    MemoryStream again(out.ToString());
    List reread;
    read(again, reread);  // what the program writes always reads back whole
    if (again.Remaining() != 0 || reread.Count() != list.Count()) __builtin_trap();
    MemoryStream out2;
    write(reread, out2);
    if (out2.ToString() != out.ToString()) __builtin_trap();
}

}  // namespace pomix::fuzz
