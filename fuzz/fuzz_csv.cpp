// The CSV reader takes any bytes and never reads out of bounds or runs away. Rows it read,
// written back by the program and read again, come back field for field (a row of one empty
// field is a blank line, which is no record, and a semicolon or tab in the header could make
// it the separator, so those are left out of the comparison). The event and contact readers
// refuse with FormatError or read records whose own export reads back to as many records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/exchange/content_line.h"
#include "core/exchange/csv.h"
#include "core/exchange/records_csv.h"

namespace {

bool Comparable(const pomix::dataio::CsvText& text) {
    for (const auto& row : text.Rows) {
        if (row.Fields.size() == 1 && row.Fields[0].empty()) return false;
        for (const std::string& field : row.Fields)
            if (field.find_first_of(";\t") != std::string::npos) return false;
    }
    return true;
}

template <typename List, typename Read, typename Write>
void SettlesAfterOneRound(const std::string& bytes, Read read, Write write) {
    List first;
    std::size_t count = 0;
    try {
        for (const auto& record : read(bytes).Records) {
            if constexpr (requires { first.Append(record); })
                first.Append(record);
            else
                first.Add(record);
            ++count;
        }
    } catch (const pomix::dataio::FormatError&) {
        return;
    }
    if (count == 0) return;
    // Written by the program, the text always reads, to as many records.
    if (read(write(first)).Records.size() != count) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const pomix::dataio::CsvText text = pomix::dataio::ReadCsv(bytes);
    if (!text.UnclosedQuote && Comparable(text)) {
        std::string written;
        for (const auto& row : text.Rows) written += pomix::dataio::CsvRecord(row.Fields);
        const pomix::dataio::CsvText again = pomix::dataio::ReadCsv(written);
        if (again.Rows.size() != text.Rows.size()) std::abort();
        for (std::size_t i = 0; i < text.Rows.size(); ++i)
            if (again.Rows[i].Fields != text.Rows[i].Fields) std::abort();
    }
    SettlesAfterOneRound<pomix::EventList>(bytes, pomix::dataio::ReadEventsCsv,
                                           pomix::dataio::WriteEventsCsv);
    SettlesAfterOneRound<pomix::AddressList>(bytes, pomix::dataio::ReadContactsCsv,
                                             pomix::dataio::WriteContactsCsv);
    return 0;
}
