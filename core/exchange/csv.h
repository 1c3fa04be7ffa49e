// Comma-separated values (RFC 4180): fields separated by commas, records ended by CR LF; a
// field holding a comma, a quote or a line break is quoted, its quotes doubled.
//
// Read leniently, as spreadsheets and organizers write it: records may end in LF or CR too, a
// semicolon or a tab may separate the fields (the header line tells which), text after a
// closing quote belongs to the field, and a blank line is no record.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pomix::dataio {

std::string CsvField(const std::string& text);
// One record, CR LF included.
std::string CsvRecord(const std::vector<std::string>& fields);

struct CsvRow {
    std::size_t Line = 0;  // the file's line the record begins on, from 1
    std::vector<std::string> Fields;
};

struct CsvText {
    std::vector<CsvRow> Rows;
    // The line of a quote never closed (its field runs to the end of the text); 0 when none.
    std::size_t UnclosedQuote = 0;
};

CsvText ReadCsv(const std::string& text);

}  // namespace pomix::dataio
