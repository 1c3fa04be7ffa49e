// Arbitrary bytes as a text file for a memo: the UTF-8 / code page 1251 choice and the line
// split never fail, and nothing is lost on the way:
//  - a file taken as code page 1251 keeps its bytes;
//  - a file taken as UTF-8 whose characters code page 1251 holds converts back to the same text;
//  - any code page 1251 text survives being saved as UTF-8 with a byte-order mark;
//  - lines joined by CR LF split into the same lines, also through a file on the disk (written
//    as UTF-8), unless a NUL byte near the start has the file refused as no text.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/scratch_file.h"
#include "storage/cp1251.h"
#include "storage/text_file.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = pomix::TextFileToCp1251(bytes);
    if (!pomix::LooksLikeUtf8(bytes)) {
        if (text != bytes) __builtin_trap();
    } else if (text.find('?') == std::string::npos) {
        const bool bom = bytes.compare(0, 3, kBom) == 0;
        if (pomix::Cp1251ToUtf8(text) != (bom ? bytes.substr(3) : bytes)) __builtin_trap();
    }

    if (pomix::TextFileToCp1251(kBom + pomix::Cp1251ToUtf8(bytes)) != bytes) __builtin_trap();

    const std::vector<std::string> lines = pomix::SplitLines(text);
    std::string joined;
    for (const std::string& line : lines) {
        if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
        joined += line + "\r\n";
    }
    if (pomix::SplitLines(joined) != lines) __builtin_trap();

    static const std::string path = pomix::fuzz::ScratchPath("fuzz_text_file");
    pomix::WriteTextFileLines(path, lines);
    if (pomix::LooksLikeText(pomix::Cp1251ToUtf8(joined))) {
        if (pomix::ReadTextFileLines(path) != lines) __builtin_trap();
    } else {
        try {
            pomix::ReadTextFileLines(path);
            __builtin_trap();
        } catch (const pomix::ENotTextFile&) {
        }
    }
    return 0;
}
