#include "core/exchange/record_table.h"

#include "core/exchange/civil_time.h"
#include "core/exchange/csv.h"
#include "core/planner/event.h"
#include "storage/cp1251.h"

namespace pomix::dataio {
namespace {

Field Make(const std::string& name, Field::Type type) {
    Field field;
    field.Name = name;
    field.Kind = type;
    return field;
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
            return WholeDay(f.Number, day) ? IsoDate(day) : std::string();
        }
        case Field::Type::TimeOfDay:
            return IsoTime(f.Number);
        case Field::Type::Moment:
            return IsoDateTime(f.Number);
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

std::string TableCsv(const RecordTable& table) {
    std::string out = CsvRecord(table.Names);
    for (const Row& row : table.Rows) {
        std::vector<std::string> cells;
        for (const Field& f : row.Fields()) cells.push_back(CsvOf(f));
        out += CsvRecord(cells);
    }
    return out;
}

}  // namespace pomix::dataio
