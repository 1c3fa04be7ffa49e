#include "record_table.h"

#include <sstream>

#include "dataio/civil_time.h"
#include "dataio/csv.h"
#include "json.h"
#include "planner/event.h"
#include "storage/cp1251.h"

namespace pomix::tool {
namespace {

Field Make(const std::string& name, Field::Type type) {
    Field field;
    field.Name = name;
    field.Kind = type;
    return field;
}

std::string JsonOf(const Row& row) {
    JsonObject object;
    for (const Field& f : row.Fields()) {
        switch (f.Kind) {
            case Field::Type::Text:
                object.Text(f.Name, f.Text);
                break;
            case Field::Type::Lines:
                object.Lines(f.Name, f.Lines);
                break;
            case Field::Type::Integer:
                object.Integer(f.Name, f.Integer);
                break;
            case Field::Type::Flag:
                object.Flag(f.Name, f.Integer != 0);
                break;
            case Field::Type::Day:
            case Field::Type::TimeOfDay:
            case Field::Type::Moment:
                object.Number(f.Name, f.Number);
                break;
        }
    }
    return object.Str();
}

std::string CsvOf(const Field& f) {
    switch (f.Kind) {
        case Field::Type::Text:
            return Cp1251ToUtf8(f.Text);
        case Field::Type::Lines: {
            std::string joined;
            for (std::size_t i = 0; i < f.Lines.size(); ++i) {
                if (i > 0) joined += '\n';
                joined += Cp1251ToUtf8(f.Lines[i]);
            }
            return joined;
        }
        case Field::Type::Integer:
        case Field::Type::Flag:
            return std::to_string(f.Integer);
        case Field::Type::Day: {
            // Only the whole-day part of a day field counts.
            DateTime day;
            return WholeDay(f.Number, day) ? dataio::IsoDate(day) : std::string();
        }
        case Field::Type::TimeOfDay:
            return dataio::IsoTime(f.Number);
        case Field::Type::Moment:
            return dataio::IsoDateTime(f.Number);
    }
    return {};
}

}  // namespace

Row& Row::Add(Field field) {
    fields_.push_back(std::move(field));
    return *this;
}

Row& Row::Text(const std::string& name, const std::string& cp1251) {
    Field f = Make(name, Field::Type::Text);
    f.Text = cp1251;
    return Add(std::move(f));
}

Row& Row::Lines(const std::string& name, const StrList& cp1251) {
    Field f = Make(name, Field::Type::Lines);
    f.Lines = cp1251;
    return Add(std::move(f));
}

Row& Row::Integer(const std::string& name, long long value) {
    Field f = Make(name, Field::Type::Integer);
    f.Integer = value;
    return Add(std::move(f));
}

Row& Row::Flag(const std::string& name, bool value) {
    Field f = Make(name, Field::Type::Flag);
    f.Integer = value ? 1 : 0;
    return Add(std::move(f));
}

Row& Row::Day(const std::string& name, DateTime value) {
    Field f = Make(name, Field::Type::Day);
    f.Number = value;
    return Add(std::move(f));
}

Row& Row::TimeOfDay(const std::string& name, DateTime value) {
    Field f = Make(name, Field::Type::TimeOfDay);
    f.Number = value;
    return Add(std::move(f));
}

Row& Row::Moment(const std::string& name, DateTime value) {
    Field f = Make(name, Field::Type::Moment);
    f.Number = value;
    return Add(std::move(f));
}

std::string TableJson(const RecordTable& table) {
    std::ostringstream out;
    if (table.Single && table.Rows.size() == 1) {
        out << JsonOf(table.Rows.front()) << "\n";
        return out.str();
    }
    std::vector<std::string> objects;
    objects.reserve(table.Rows.size());
    for (const Row& row : table.Rows) objects.push_back(JsonOf(row));
    PrintArray(out, objects);
    return out.str();
}

std::string TableCsv(const RecordTable& table) {
    std::string out = dataio::CsvRecord(table.Names);
    for (const Row& row : table.Rows) {
        std::vector<std::string> cells;
        for (const Field& f : row.Fields()) cells.push_back(CsvOf(f));
        out += dataio::CsvRecord(cells);
    }
    return out;
}

}  // namespace pomix::tool
