// `pomix-data dump KIND FILE` and `export csv KIND FILE OUT`: each kind of data file gives
// its records as a table, printed as JSON or written as CSV.
#pragma once

#include <functional>
#include <string>

#include "core/exchange/record_table.h"
#include "storage/stream.h"

namespace pomix::tool {

// Loads the file (raising "File is corrupt." for a damaged one) and gives its records.
using TableFunction = dataio::RecordTable (*)(const std::string& path);

struct DumpKind {
    const char* name;
    TableFunction table;
};

// The kind of that name, or null.
const DumpKind* FindDumpKind(const std::string& name);

// Loads a container file and hands its stream streamName to read. A damaged container, and a
// stream that ends before read is done with it, raise ECorruptFile ("File is corrupt."). A file
// without that stream reads as an empty stream.
void ReadDataFile(const std::string& path, const std::string& streamName,
                  const std::function<void(Stream&)>& read);

}  // namespace pomix::tool
