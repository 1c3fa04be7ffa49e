// Language dictionaries and their tables read from any bytes: no crash, no read beyond the
// file; a window's texts written back into the dictionary read back as they were written,
// and a second write-back leaves the file byte for byte.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "core/settings/dictionary_tables.h"
#include "core/settings/form_storage.h"
#include "core/settings/ini_file.h"
#include "storage/errors.h"
#include "storage/text.h"

namespace {

class Window : public pomix::DictionaryTarget {
public:
    std::map<std::string, std::string> texts{{"Label1.Caption", "a"}, {"Button1.Hint", " b "}};
    pomix::StrList lines{"x"};
    bool GetText(const std::string& c, const std::string& p, std::string& text) override {
        const auto it = texts.find(c + "." + p);
        if (it == texts.end()) return false;
        text = it->second;
        return true;
    }
    bool SetText(const std::string& c, const std::string& p, const std::string& text) override {
        const auto it = texts.find(c + "." + p);
        if (it == texts.end()) return false;
        it->second = text;
        return true;
    }
    bool GetLines(const std::string&, const std::string&, pomix::StrList& out) override {
        out = lines;
        return true;
    }
    bool SetLines(const std::string&, const std::string&, const pomix::StrList& in) override {
        lines = in;
        return true;
    }
};

// What a text becomes in the file: one line, outer blanks trimmed.
std::string Stored(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return pomix::Trim(text).substr(0, pomix::kMaxDictionaryValue);
}

std::string Contents(const std::string& path) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
        std::fclose(f);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        pomix::ParseDictionaryTable("T", bytes);
    } catch (const pomix::EDictionaryTable&) {
    }

    // One scratch dictionary per process, removed when the fuzzer ends.
    struct Scratch {
        std::string path = "/tmp/fuzz_dictionary_" + std::to_string(::getpid()) + ".lng";
        ~Scratch() { std::remove(path.c_str()); }
    };
    static const Scratch scratch;
    const std::string& path = scratch.path;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    if (!pomix::IniFile::IsIniFile(path)) return 0;
    const std::vector<std::string> items = {"Label1.Caption", "Button1.Hint", "ComboBox1.Items"};
    pomix::TFormStorage storage("SetupForm", items);
    storage.Bind(path);
    Window window;
    storage.Read(window);
    try {
        storage.WriteBack(window);
    } catch (const pomix::EFileError&) {
        return 0;
    }
    pomix::TFormStorage again("SetupForm", items);
    again.Bind(path);
    Window reread;
    reread.texts = {{"Label1.Caption", "?"}, {"Button1.Hint", "?"}};
    again.Read(reread);
    // A negative FormVersion keeps the window's own texts out of the file and reads nothing.
    if (pomix::IniFile(path).ReadInteger("SetupForm", "FormVersion", 0) >= 0) {
        for (const auto& [key, text] : window.texts) {
            if (reread.texts[key] != Stored(text)) __builtin_trap();
        }
    }
    const std::string once = Contents(path);
    again.WriteBack(reread);
    if (Contents(path) != once && reread.texts == window.texts) __builtin_trap();
    return 0;
}
