// The tables the shipped dictionaries are made from, one per dictionary section:
// app/lang/<Section>.tsv, UTF-8, one item a line:
//
//   Key<TAB>Russian text<TAB>English text
//
// Key as the dictionary writes it ("Button1_Caption", "Button1_Hint"); lines starting with "#"
// and empty lines are skipped. A key ending in "_Items" names a list: each such line is one
// line of the list, in order (the colour-scheme names of the settings window).
//
// A dictionary made from the tables is a code page 1251 initialisation file with CR LF line
// ends: the header section naming its language ("[Dictionary]", "Language=ru" or "en"), each
// section with "FormVersion=0" and its keys in table order, a blank line between
// sections, and the list sections ("<Section>.<Key>" with "Count" and "Item0" …) last. That is
// the form the program's own write-back gives, so a run that changes no text leaves the file
// byte for byte as it was.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace pomix {

struct DictionaryEntry {
    std::string key;
    std::string russian, english;  // UTF-8, blanks at both ends trimmed
};

struct DictionaryTable {
    std::string section;                  // the file's name without ".tsv"
    std::vector<DictionaryEntry> entries;  // in file order; list lines repeat their key
};

class EDictionaryTable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class DictionaryLanguage { Russian, English };

// Parses one table's text; raises EDictionaryTable naming the table and the line for a line
// that is not three fields, an empty key or text, a key given twice, or a text that code page
// 1251 cannot hold.
DictionaryTable ParseDictionaryTable(const std::string& section, const std::string& text);
// Every "*.tsv" of folder, sorted by section name.
std::vector<DictionaryTable> ReadDictionaryTables(const std::string& folder);
// The dictionary file's bytes in the given language.
std::string MakeDictionary(const std::vector<DictionaryTable>& tables, DictionaryLanguage language);

}  // namespace pomix
