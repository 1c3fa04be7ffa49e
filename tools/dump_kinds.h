// The dump functions of the kinds of data file; each lives in a dump_<kind>.cpp of its own.
#pragma once

#include "dump.h"

namespace pomix::tool {

void DumpNotes(const std::string& path, std::ostream& out);
void DumpCalendar(const std::string& path, std::ostream& out);
void DumpSettings(const std::string& path, std::ostream& out);
void DumpAddress(const std::string& path, std::ostream& out);
void DumpCatalog(const std::string& path, std::ostream& out);
void DumpCredit(const std::string& path, std::ostream& out);

}  // namespace pomix::tool
