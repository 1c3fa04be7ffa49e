// `pomix-data dump KIND FILE`: each kind of data file prints its records as JSON.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "storage/stream.h"

namespace pomix::tool {

// Loads the file (raising "File is corrupt." for a damaged one) and prints its JSON.
using DumpFunction = void (*)(const std::string& path, std::ostream& out);

struct DumpKind {
    const char* name;
    DumpFunction dump;
};

// Loads a container file and hands its stream streamName to read. A damaged container, and a
// stream that ends before read is done with it, raise ECorruptFile ("File is corrupt."). A file
// without that stream reads as an empty stream.
void ReadDataFile(const std::string& path, const std::string& streamName,
                  const std::function<void(Stream&)>& read);

}  // namespace pomix::tool
