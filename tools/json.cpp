#include "json.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "storage/cp1251.h"

namespace pomix::tool {

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buf[40];
    // 17 significant digits give back the same double when read.
    std::snprintf(buf, sizeof buf, "%.17g", value);
    return buf;
}

void JsonObject::Key(const std::string& key) {
    if (!body_.empty()) body_ += ",";
    body_ += JsonString(key) + ":";
}

JsonObject& JsonObject::Text(const std::string& key, const std::string& cp1251) {
    Key(key);
    body_ += JsonString(Cp1251ToUtf8(cp1251));
    return *this;
}

JsonObject& JsonObject::Lines(const std::string& key, const std::vector<std::string>& cp1251) {
    Key(key);
    body_ += "[";
    for (std::size_t i = 0; i < cp1251.size(); ++i) {
        if (i) body_ += ",";
        body_ += JsonString(Cp1251ToUtf8(cp1251[i]));
    }
    body_ += "]";
    return *this;
}

JsonObject& JsonObject::Number(const std::string& key, double value) {
    Key(key);
    body_ += JsonNumber(value);
    return *this;
}

JsonObject& JsonObject::Integer(const std::string& key, long long value) {
    Key(key);
    body_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Flag(const std::string& key, bool value) {
    Key(key);
    body_ += value ? "true" : "false";
    return *this;
}

void PrintArray(std::ostream& out, const std::vector<std::string>& objects) {
    out << "[";
    for (std::size_t i = 0; i < objects.size(); ++i) out << (i ? ",\n" : "\n") << objects[i];
    out << (objects.empty() ? "]\n" : "\n]\n");
}

namespace {

std::string JsonOf(const dataio::Row& row) {
    JsonObject object;
    for (const dataio::Field& f : row.Fields()) {
        switch (f.Kind) {
            case dataio::Field::Type::Text:
                object.Text(f.Name, f.Text);
                break;
            case dataio::Field::Type::Lines:
                object.Lines(f.Name, f.Lines);
                break;
            case dataio::Field::Type::Integer:
                object.Integer(f.Name, f.Integer);
                break;
            case dataio::Field::Type::Flag:
                object.Flag(f.Name, f.Integer != 0);
                break;
            case dataio::Field::Type::Day:
            case dataio::Field::Type::TimeOfDay:
            case dataio::Field::Type::Moment:
                object.Number(f.Name, f.Number);
                break;
        }
    }
    return object.Str();
}

}  // namespace

std::string TableJson(const dataio::RecordTable& table) {
    std::ostringstream out;
    if (table.Single && table.Rows.size() == 1) {
        out << JsonOf(table.Rows.front()) << "\n";
        return out.str();
    }
    std::vector<std::string> objects;
    objects.reserve(table.Rows.size());
    for (const dataio::Row& row : table.Rows) objects.push_back(JsonOf(row));
    PrintArray(out, objects);
    return out.str();
}

}  // namespace pomix::tool
