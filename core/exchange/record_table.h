// The records of a data file as rows of named, typed fields: one description per kind of record
// gives what pomix-data's `dump` prints as JSON and the CSV files of `export csv` and of the
// windows.
#pragma once

#include <string>
#include <vector>

#include "storage/dates.h"
#include "storage/field_codec.h"

namespace pomix::dataio {

struct Field {
    // Day, TimeOfDay and Moment are stored day counts: JSON prints the number, CSV the ISO
    // 8601 form of the whole day, of the time of day, or of both.
    enum class Type { Text, Lines, Integer, Flag, Day, TimeOfDay, Moment };
    std::string Name;
    Type Kind = Type::Text;
    std::string Text;  // code page 1251
    StrList Lines;     // code page 1251
    long long Integer = 0;
    double Number = 0;
};

class Row {
public:
    Row& Text(const std::string& name, const std::string& cp1251);
    Row& Lines(const std::string& name, const StrList& cp1251);
    Row& Integer(const std::string& name, long long value);
    Row& Flag(const std::string& name, bool value);
    Row& Day(const std::string& name, DateTime value);
    Row& TimeOfDay(const std::string& name, DateTime value);
    Row& Moment(const std::string& name, DateTime value);
    const std::vector<Field>& Fields() const { return fields_; }

private:
    Row& Add(Field field);
    std::vector<Field> fields_;
};

struct RecordTable {
    std::vector<std::string> Names;  // the field names, also when there are no rows
    std::vector<Row> Rows;
    bool Single = false;  // one record (the settings), printed as an object, not an array
};

// describe(record, row) adds the record's fields to the row; blank gives the names of an
// empty table.
template <class Record, class List, class Describe>
RecordTable TableOf(const List& list, Describe describe, const Record& blank) {
    RecordTable table;
    Row names;
    describe(blank, names);
    for (const Field& field : names.Fields()) table.Names.push_back(field.Name);
    for (std::size_t i = 0; i < list.Count(); ++i) {
        Row row;
        describe(list[i], row);
        table.Rows.push_back(std::move(row));
    }
    return table;
}

// RFC 4180 CSV (UTF-8): the header row of the names, then one row per record.
std::string TableCsv(const RecordTable& table);

}  // namespace pomix::dataio
