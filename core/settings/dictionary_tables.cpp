#include "core/settings/dictionary_tables.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/settings/form_storage.h"
#include "core/settings/ini_file.h"
#include "storage/cp1251.h"
#include "storage/text.h"

namespace pomix {

namespace {

constexpr const char* kEol = "\r\n";
constexpr const char* kListSuffix = "_Items";

bool IsListKey(const std::string& key) {
    const std::string suffix = kListSuffix;
    return key.size() > suffix.size() && key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool FitsCp1251(const std::string& utf8) { return Cp1251ToUtf8(Utf8ToCp1251(utf8)) == utf8; }

}  // namespace

DictionaryTable ParseDictionaryTable(const std::string& section, const std::string& text) {
    DictionaryTable table{section, {}};
    std::set<std::string> keys;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trim(line).empty() || line.front() == '#') continue;
        const auto fail = [&](const std::string& why) {
            throw EDictionaryTable(section + ".tsv line " + std::to_string(number) + ": " + why);
        };
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() != 3) fail("expected Key<TAB>Russian<TAB>English");
        DictionaryEntry entry{Trim(fields[0]), Trim(fields[1]), Trim(fields[2])};
        if (entry.key.empty()) fail("empty key");
        if (entry.key.find_first_of("=[]") != std::string::npos) fail("a key cannot hold \"=\", \"[\" or \"]\"");
        if (entry.english.empty() && !entry.russian.empty()) fail("no English text");
        if (!IsListKey(entry.key) && !keys.insert(entry.key).second) fail("key " + entry.key + " given twice");
        if (!FitsCp1251(entry.russian) || !FitsCp1251(entry.english)) fail("text outside code page 1251");
        table.entries.push_back(std::move(entry));
    }
    return table;
}

std::vector<DictionaryTable> ReadDictionaryTables(const std::string& folder) {
    std::vector<DictionaryTable> tables;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        if (!file.is_regular_file() || file.path().extension() != ".tsv") continue;
        std::ifstream in(file.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) throw EDictionaryTable("cannot read " + file.path().string());
        tables.push_back(ParseDictionaryTable(file.path().stem().string(), text.str()));
    }
    std::sort(tables.begin(), tables.end(),
              [](const DictionaryTable& a, const DictionaryTable& b) { return a.section < b.section; });
    return tables;
}

std::string MakeDictionary(const std::vector<DictionaryTable>& tables, DictionaryLanguage language) {
    const auto text = [language](const DictionaryEntry& e) {
        return IniFile::StoredValue(Utf8ToCp1251(language == DictionaryLanguage::Russian ? e.russian : e.english));
    };
    // The header first: the language the windows format dates and numbers in.
    std::string out = std::string("[") + kDictionaryHeaderSection + "]" + kEol + kDictionaryLanguageKey + "=" +
                      (language == DictionaryLanguage::Russian ? "ru" : "en") + kEol;
    std::string lists;
    for (const DictionaryTable& table : tables) {
        if (!out.empty()) out += kEol;
        out += "[" + table.section + "]" + kEol + "FormVersion=0" + kEol;
        std::vector<std::string> listKeys;
        for (const DictionaryEntry& e : table.entries) {
            if (IsListKey(e.key)) {
                if (std::find(listKeys.begin(), listKeys.end(), e.key) == listKeys.end()) listKeys.push_back(e.key);
            } else {
                out += e.key + "=" + text(e) + kEol;
            }
        }
        for (const std::string& key : listKeys) {
            std::vector<std::string> items;
            for (const DictionaryEntry& e : table.entries) {
                if (e.key == key) items.push_back(text(e));
            }
            lists += kEol;
            lists += "[" + table.section + "." + key + "]" + kEol;
            lists += "Count=" + std::to_string(items.size()) + kEol;
            for (std::size_t i = 0; i < items.size(); ++i) lists += "Item" + std::to_string(i) + "=" + items[i] + kEol;
        }
    }
    return out + lists;
}

}  // namespace pomix
