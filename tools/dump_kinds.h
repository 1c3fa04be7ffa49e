// The record tables of the kinds of data file; each lives in a dump_<kind>.cpp of its own.
#pragma once

#include "dump.h"

namespace pomix::tool {

dataio::RecordTable NotesTable(const std::string& path);
dataio::RecordTable CalendarTable(const std::string& path);
dataio::RecordTable SettingsTable(const std::string& path);
dataio::RecordTable AddressTable(const std::string& path);
dataio::RecordTable CatalogTable(const std::string& path);
dataio::RecordTable CreditTable(const std::string& path);

}  // namespace pomix::tool
