// A small JSON writer for the dumps: records become objects, line lists arrays.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "core/exchange/record_table.h"

namespace pomix::tool {

// A JSON string literal of UTF-8 text, with quotes and escapes.
std::string JsonString(const std::string& utf8);
// A JSON number for a stored double; non-finite values (only damaged files hold them)
// print as null, since JSON has no literal for them.
std::string JsonNumber(double value);

// Writes one object's members in the order they are added.
class JsonObject {
public:
    JsonObject& Text(const std::string& key, const std::string& cp1251);
    JsonObject& Lines(const std::string& key, const std::vector<std::string>& cp1251);
    JsonObject& Number(const std::string& key, double value);
    JsonObject& Integer(const std::string& key, long long value);
    JsonObject& Flag(const std::string& key, bool value);
    std::string Str() const { return "{" + body_ + "}"; }

private:
    void Key(const std::string& key);
    std::string body_;
};

// Prints objects as a JSON array, one object a line.
void PrintArray(std::ostream& out, const std::vector<std::string>& objects);

// What `dump` prints of a record table: an array with one object a line, or the one object of
// a single-record table.
std::string TableJson(const dataio::RecordTable& table);

}  // namespace pomix::tool
