// The dictionary binding of a window: which of its texts a language dictionary replaces,
// and how they are read from and written back to the dictionary file.
//
// In the file the window has a section of its own (e.g. "MainForm"). A stored item
// "Control.Property" is the key "Control_Property" in that section; a list property has a
// section of its own, "<section>.Control_Property", with "Count" and "Item0" … "Item<Count-1>".
// The key "FormVersion" holds 0; a negative value switches the window's binding off: nothing
// is read from that dictionary and nothing written back into it (a hand-made translation
// stays as its author left it). Only a dictionary file (IniFile::IsIniFile) is ever bound.
#pragma once

#include <string>
#include <vector>

#include "storage/field_codec.h"

namespace pomix {

// What a window offers the binding: its controls' properties by name. Texts are code
// page 1251. A getter returns false when the window has no such control or property.
class DictionaryTarget {
public:
    virtual ~DictionaryTarget() = default;
    virtual bool GetText(const std::string& control, const std::string& property, std::string& text) = 0;
    virtual bool SetText(const std::string& control, const std::string& property, const std::string& text) = 0;
    virtual bool GetLines(const std::string& control, const std::string& property, StrList& lines) = 0;
    virtual bool SetLines(const std::string& control, const std::string& property, const StrList& lines) = 0;
};

class TFormStorage {
public:
    // items are "Control.Property"; properties named "Items" are lists, the others texts.
    TFormStorage(std::string section, std::vector<std::string> items);

    struct Item {
        std::string control, property, key;
        bool list = false;
    };

    // Uses the dictionary at path (reads and writes go to it); an empty path deactivates.
    void Bind(const std::string& path);
    // Binds to the dictionary named by languageFile in Lang/ when that file exists and is a
    // dictionary.
    void BindLanguageFile(const std::string& languageFile);
    void Deactivate();
    bool Active() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    const std::string& Section() const { return section_; }
    bool HasBeenRead() const { return read_; }
    // The stored items, in list order, as parsed from "Control.Property".
    const std::vector<Item>& Items() const { return items_; }

    // Applies the dictionary's values to the window; an item that fails is skipped.
    void Read(DictionaryTarget& target);
    // Stores the window's current values, only when active and read at least once in this
    // run, and never into a section whose FormVersion is negative. The file is replaced once,
    // whole, so a failure leaves it as it was. Raises EFileError("Unable to write to <path>")
    // when the file cannot be written.
    void WriteBack(DictionaryTarget& target);

private:
    std::string section_;
    std::vector<Item> items_;
    std::string path_;
    bool read_ = false;
};

// A dictionary names the language of its texts in a header section of its own, which no
// window reads or writes:
//
//   [Dictionary]
//   Language=en
//
// The code is a language's ISO 639 code in lower case. Dates, times and numbers in the windows
// follow that language, so a dictionary is taken as Russian, the built-in texts' language,
// when it names none; likewise when no dictionary is bound.
inline constexpr const char* kDictionaryHeaderSection = "Dictionary";
inline constexpr const char* kDictionaryLanguageKey = "Language";
inline constexpr const char* kBuiltInLanguage = "ru";
// The language of the dictionary languageFile names in Lang/: its code, trimmed and lower-cased,
// when it is two or three letters; otherwise (no such dictionary, no key, anything else) "ru".
std::string DictionaryLanguageCode(const std::string& languageFile);

// Values are cut to this many characters when read.
inline constexpr std::size_t kMaxDictionaryValue = 1023;
// A list reads at most this many lines.
inline constexpr int kMaxDictionaryLines = 10000;

}  // namespace pomix
