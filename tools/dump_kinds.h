// The record tables of the kinds of data file; each lives in a dump_<kind>.cpp of its own.
#pragma once

#include "dump.h"

namespace pomix::tool {

RecordTable NotesTable(const std::string& path);
RecordTable CalendarTable(const std::string& path);
RecordTable SettingsTable(const std::string& path);
RecordTable AddressTable(const std::string& path);
RecordTable CatalogTable(const std::string& path);
RecordTable CreditTable(const std::string& path);

}  // namespace pomix::tool
