// Comma-separated values (RFC 4180): fields separated by commas, records ended by CR LF; a
// field holding a comma, a quote or a line break is quoted, its quotes doubled.
#pragma once

#include <string>
#include <vector>

namespace pomix::dataio {

std::string CsvField(const std::string& text);
// One record, CR LF included.
std::string CsvRecord(const std::vector<std::string>& fields);

}  // namespace pomix::dataio
