#include "core/exchange/import_result.h"

#include "core/exchange/content_line.h"
#include "storage/cp1251.h"

namespace pomix::dataio {

std::string ToStored(const std::string& utf8, std::size_t& replaced) {
    // A line break has been split off by now; NUL and other controls, which a decoded value
    // may hold, are no text the program could show.
    const std::string stored = Utf8ToCp1251(WithoutControls(utf8));
    // Every "?" of the text stays one "?"; the others stand for what the code page lacks.
    std::size_t before = 0, after = 0;
    for (char c : utf8) before += c == '?';
    for (char c : stored) after += c == '?';
    replaced += after - before;
    return stored;
}

}  // namespace pomix::dataio
