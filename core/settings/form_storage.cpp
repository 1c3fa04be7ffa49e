#include "core/settings/form_storage.h"

#include <algorithm>
#include <charconv>

#include "core/settings/ini_file.h"
#include "core/settings/program_files.h"
#include "storage/text.h"

namespace pomix {

namespace {

constexpr const char* kVersionKey = "FormVersion";

std::string ItemKey(int index) { return "Item" + std::to_string(index); }

// Item0 .. Item<count-1> of a list section, "" for a missing one. The first of equal keys
// counts, as for ReadString; taken in one pass, as a list may have thousands of lines.
StrList ListLines(const IniFile::Entries& entries, int count) {
    StrList lines(static_cast<std::size_t>(count));
    std::vector<bool> found(lines.size());
    for (const auto& [key, value] : entries) {
        if (key.size() < 5 || CompareNoCase(key.substr(0, 4), "Item") != 0) continue;
        const std::string digits = key.substr(4);
        int index = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        // Only the spelling ItemKey writes: "Item07" is another key.
        if (error != std::errc() || end != digits.data() + digits.size() || index < 0 ||
            index >= count || ItemKey(index) != "Item" + digits || found[index]) {
            continue;
        }
        found[index] = true;
        lines[index] = value;
    }
    return lines;
}

}  // namespace

TFormStorage::TFormStorage(std::string section, std::vector<std::string> items)
    : section_(std::move(section)) {
    for (const std::string& item : items) {
        const std::size_t dot = item.find('.');
        if (dot == std::string::npos) continue;
        Item parsed;
        parsed.control = Trim(item.substr(0, dot));
        parsed.property = Trim(item.substr(dot + 1));
        if (parsed.control.empty() || parsed.property.empty()) continue;
        parsed.key = parsed.control + "_" + parsed.property;
        parsed.list = CompareNoCase(parsed.property, "Items") == 0;
        items_.push_back(std::move(parsed));
    }
}

void TFormStorage::Bind(const std::string& path) { path_ = path; }

void TFormStorage::BindLanguageFile(const std::string& languageFile) {
    const std::string path = DictionaryPath(languageFile);
    Bind(FileExists(path) && IniFile::IsIniFile(path) ? path : std::string());
}

std::string DictionaryLanguageCode(const std::string& languageFile) {
    const std::string path = DictionaryPath(languageFile);
    if (!FileExists(path) || !IniFile::IsIniFile(path)) return kBuiltInLanguage;
    std::string code = Trim(IniFile(path).ReadString(kDictionaryHeaderSection, kDictionaryLanguageKey, ""));
    if (code.size() < 2 || code.size() > 3) return kBuiltInLanguage;
    for (char& c : code) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c < 'a' || c > 'z') return kBuiltInLanguage;
    }
    return code;
}

void TFormStorage::Deactivate() { path_.clear(); }

void TFormStorage::Read(DictionaryTarget& target) {
    if (!Active()) return;
    const IniFile file(path_);
    read_ = true;
    if (file.ReadInteger(section_, kVersionKey, 0) < 0) return;
    for (const Item& item : items_) {
        try {
            if (item.list) {
                StrList current;
                if (!target.GetLines(item.control, item.property, current)) continue;
                const std::string listSection = section_ + "." + item.key;
                const int count = file.ReadInteger(listSection, "Count", 0);
                if (count <= 0) continue;
                // A damaged dictionary's huge Count gives at most kMaxDictionaryLines lines.
                const int taken = std::min(count, kMaxDictionaryLines);
                target.SetLines(item.control, item.property, ListLines(file.ReadSection(listSection), taken));
            } else {
                std::string current;
                if (!target.GetText(item.control, item.property, current)) continue;
                std::string value = Trim(file.ReadString(section_, item.key, current));
                if (value.size() > kMaxDictionaryValue) value.resize(kMaxDictionaryValue);
                target.SetText(item.control, item.property, value);
            }
        } catch (const std::exception&) {
            // A value that cannot be taken leaves the control as it was.
        }
    }
}

void TFormStorage::WriteBack(DictionaryTarget& target) {
    if (!Active() || !read_) return;
    IniFile file(path_);
    if (file.ReadInteger(section_, kVersionKey, 0) < 0) return;
    file.HoldWrites(true);
    file.WriteInteger(section_, kVersionKey, 0);
    for (const Item& item : items_) {
        if (item.list) {
            StrList lines;
            if (!target.GetLines(item.control, item.property, lines)) continue;
            const std::string listSection = section_ + "." + item.key;
            if (lines.empty()) {
                file.EraseSection(listSection);
                continue;
            }
            IniFile::Entries entries{{"Count", std::to_string(lines.size())}};
            for (std::size_t i = 0; i < lines.size(); ++i) entries.emplace_back(ItemKey(static_cast<int>(i)), lines[i]);
            file.WriteSection(listSection, entries);
        } else {
            std::string text;
            if (!target.GetText(item.control, item.property, text)) continue;
            // A caption may hold line breaks; the file holds one line per key.
            std::replace(text.begin(), text.end(), '\r', ' ');
            std::replace(text.begin(), text.end(), '\n', ' ');
            file.WriteString(section_, item.key, Trim(text));
        }
    }
    file.Flush();
}

}  // namespace pomix
