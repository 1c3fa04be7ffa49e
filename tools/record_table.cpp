#include "record_table.h"

#include <sstream>

#include "json.h"

namespace pomix::tool {
namespace {

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

}  // namespace

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

}  // namespace pomix::tool
