// `pomix-data dump KIND FILE`: each kind of data file prints its records as JSON.
#pragma once

#include <ostream>
#include <string>

namespace pomix::tool {

// Loads the file (raising "File is corrupt." for a damaged one) and prints its JSON.
using DumpFunction = void (*)(const std::string& path, std::ostream& out);

struct DumpKind {
    const char* name;
    DumpFunction dump;
};

}  // namespace pomix::tool
