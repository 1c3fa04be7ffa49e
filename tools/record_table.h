// The record tables of the core, and what `dump` prints of them.
#pragma once

#include <string>

#include "core/exchange/record_table.h"

namespace pomix::tool {

using dataio::Field;
using dataio::RecordTable;
using dataio::Row;
using dataio::TableCsv;
using dataio::TableOf;

// JSON (UTF-8): an array with one object a line, or the one object of a single-record table.
std::string TableJson(const RecordTable& table);

}  // namespace pomix::tool
