// Arbitrary bytes as an initialisation file (the dictionaries' layout): reading never fails,
// and a rewrite keeps every key it had. One key is changed, one added to an existing section,
// one added in a new section and that section erased again; after each step the file is read
// back from the disk and every other key must read as before.

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/scratch_file.h"
#include "core/settings/ini_file.h"
#include "storage/text.h"

namespace {

using Pair = std::pair<std::string, std::string>;  // section, key

constexpr const char* kNewSection = "FuzzNewSection";

bool SameName(const std::string& a, const std::string& b) {
    return pomix::CompareNoCase(pomix::Trim(a), pomix::Trim(b)) == 0;
}

// Every section and key name the text could hold, taken loosely: whatever the reader makes
// of them, the rewrite must not change it.
std::vector<Pair> Candidates(const std::string& text) {
    std::vector<Pair> pairs;
    std::string section;
    std::size_t start = 0;
    while (start <= text.size() && pairs.size() < 64) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = pomix::Trim(text.substr(start, end - start));
        const std::size_t close = line.find(']');
        if (!line.empty() && line[0] == '[' && close != std::string::npos) {
            section = line.substr(1, close - 1);
        } else if (const std::size_t eq = line.find('='); eq != std::string::npos) {
            // The section the target itself adds and erases is left out.
            if (!SameName(section, kNewSection)) pairs.emplace_back(section, line.substr(0, eq));
        }
        start = end + 1;
    }
    return pairs;
}

constexpr const char* kAbsent =
    "\x01"
    "absent";

std::vector<std::string> Values(const pomix::IniFile& ini, const std::vector<Pair>& pairs) {
    std::vector<std::string> values;
    for (const auto& [section, key] : pairs)
        values.push_back(ini.ReadString(section, key, kAbsent));
    return values;
}

// The values must be unchanged except for keys named like `changed` in its section.
void Expect(const std::string& path, const std::vector<Pair>& pairs,
            const std::vector<std::string>& before, const Pair* changed) {
    const pomix::IniFile reread(path);
    const std::vector<std::string> after = Values(reread, pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (changed && SameName(pairs[i].first, changed->first) &&
            SameName(pairs[i].second, changed->second)) {
            continue;
        }
        if (after[i] != before[i]) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = pomix::fuzz::ScratchPath("fuzz_ini");
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    } else {
        return 0;
    }

    pomix::IniFile ini(path);
    const std::vector<Pair> pairs = Candidates(text);
    const std::vector<std::string> before = Values(ini, pairs);

    // A section with a real key in it, if the text has one.
    const Pair* existing = nullptr;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        // The program's own keys are control names: one line, no line break inside (the
        // writer turns one into a blank, as it must to keep the entry on its line).
        if (before[i] != kAbsent && !pomix::Trim(pairs[i].second).empty() &&
            pairs[i].second.find('\r') == std::string::npos) {
            existing = &pairs[i];
            break;
        }
    }
    if (existing) {
        ini.WriteString(existing->first, existing->second, "changed value");
        if (pomix::IniFile(path).ReadString(existing->first, existing->second, "") !=
            "changed value") {
            __builtin_trap();
        }
        Expect(path, pairs, before, existing);

        const Pair added{existing->first, "FuzzAddedKey"};
        ini.WriteInteger(added.first, added.second, 42);
        if (pomix::IniFile(path).ReadInteger(added.first, added.second, 0) != 42) __builtin_trap();
    }

    const std::vector<std::string> kept = Values(pomix::IniFile(path), pairs);
    ini.WriteString(kNewSection, "Key", "value");
    if (pomix::IniFile(path).ReadString(kNewSection, "Key", "") != "value") __builtin_trap();
    Expect(path, pairs, kept, nullptr);
    ini.EraseSection(kNewSection);
    if (pomix::IniFile(path).SectionExists(kNewSection)) __builtin_trap();
    Expect(path, pairs, kept, nullptr);
    return 0;
}
