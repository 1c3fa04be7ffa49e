#include "dataio/import_result.h"

#include "storage/cp1251.h"

namespace pomix::dataio {

std::string ToStored(const std::string& utf8, std::size_t& replaced) {
    const std::string stored = Utf8ToCp1251(utf8);
    // Every "?" of the text stays one "?"; the others stand for what the code page lacks.
    std::size_t before = 0, after = 0;
    for (char c : utf8) before += c == '?';
    for (char c : stored) after += c == '?';
    replaced += after - before;
    return stored;
}

}  // namespace pomix::dataio
