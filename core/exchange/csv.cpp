#include "core/exchange/csv.h"

namespace pomix::dataio {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += CsvField(fields[i]);
    }
    out += "\r\n";
    return out;
}

namespace {

// The separator the header line uses most, outside quotes; a comma when it has none.
char Separator(const std::string& text) {
    std::size_t commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        commas += c == ',';
        semicolons += c == ';';
        tabs += c == '\t';
    }
    if (semicolons > commas && semicolons >= tabs) return ';';
    if (tabs > commas) return '\t';
    return ',';
}

}  // namespace

CsvText ReadCsv(const std::string& text) {
    CsvText result;
    const char separator = Separator(text);
    std::size_t line = 1;
    CsvRow row{line, {}};
    std::string field;
    bool quoted = false;     // inside a quoted part
    bool anything = false;   // the record has a separator or a character
    bool fieldStart = true;  // a quote here opens a quoted part; elsewhere it is a character
    const auto endField = [&] {
        row.Fields.push_back(std::move(field));
        field.clear();
        fieldStart = true;
    };
    const auto endRecord = [&] {
        if (anything) {
            endField();
            result.Rows.push_back(std::move(row));
        }
        row = CsvRow{line, {}};
        field.clear();
        anything = false;
        fieldStart = true;
    };
    std::size_t quoteLine = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                // A line break inside quotes is the field's, as LF whatever the file uses.
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
                if (c == '\r' || c == '\n') {
                    field += '\n';
                    ++line;
                } else {
                    field += c;
                }
            }
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++line;
            endRecord();
            continue;
        }
        anything = true;
        if (c == separator) {
            endField();
        } else if (c == '"' && fieldStart) {
            quoted = true;
            quoteLine = line;
            fieldStart = false;
        } else {
            field += c;
            fieldStart = false;
        }
    }
    if (quoted) result.UnclosedQuote = quoteLine;
    endRecord();
    return result;
}

}  // namespace pomix::dataio
