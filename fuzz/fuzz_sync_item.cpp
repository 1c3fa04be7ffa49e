// What a server sends to the sync: any bytes as a multistatus answer are refused with
// SyncError or read, never read out of bounds, and as a refusal's body give a reason of one
// line; any bytes as an item, with a local edit merged
// in, give a text the readers take as the edited record when they took the original at all,
// and keep every property of their own ("X-" lines, as the reader decoded them) unless the
// merge gave way to Pomix's own item (which has none).
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exchange/charset.h"
#include "core/exchange/content_line.h"
#include "storage/cp1251.h"
#include "sync/dav_xml.h"
#include "sync/http.h"
#include "sync/item.h"

namespace {

using namespace pomix;

// The lines, unfolded as the readers unfold them, whose property name (after any group)
// begins with "X-".
std::vector<std::string> OwnLines(const std::string& text) {
    std::vector<dataio::ImportNote> overlong;
    std::vector<std::string> out;
    for (const dataio::LogicalLine& line : dataio::UnfoldLines(text, overlong)) {
        std::string name = line.Text.substr(0, line.Text.find_first_of(";:"));
        name = name.substr(name.rfind('.') + 1);  // "group.NAME"
        if (name.starts_with("X-")) out.push_back(line.Text);
    }
    return out;
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 3 == 0) {
        try {
            sync::ParseMultiStatus(text);
        } catch (const sync::SyncError&) {
        }
        // A refusal's body: never raises, and its reason has no line break to forge a line
        // of the message with.
        const std::string reason = sync::RefusalReason(text, "text/plain");
        if (reason.find_first_of("\r\n") != std::string::npos) __builtin_trap();
        return 0;
    }
    // A calendar that is not UTF-8 is read (and merged) as windows-1251 as a whole.
    std::string decoded = dataio::FileToUtf8(text);
    if (data[0] % 3 == 1 && !dataio::IsValidUtf8(decoded)) decoded = Cp1251ToUtf8(decoded);
    const std::vector<std::string> own = OwnLines(decoded);
    if (data[0] % 3 == 1) {
        const auto original = sync::ItemEvent(text);
        if (!original) return 0;
        const auto before = sync::EventFields(*original);
        if (!before) return 0;
        Event edited = *original;
        edited.Name = Utf8ToCp1251("Изменено");
        edited.Done = edited.Done == 1 ? 0 : 1;
        edited.Date += 3;  // the end moves with the start
        const std::string merged = sync::MergeEvent(text, *before, edited);
        Check(OwnLines(merged) == own || OwnLines(merged).empty());
        auto back = sync::ItemEvent(merged);
        Check(back && back->Name == edited.Name && back->Done == edited.Done &&
              sync::EventFields(*back) == sync::EventFields(edited));
        // A reminder turned off takes the item's alarms (and what they hold) with it.
        edited.Remind = edited.Remind == 1 ? 0 : 1;
        back = sync::ItemEvent(sync::MergeEvent(text, *before, edited));
        Check(back && back->Remind == edited.Remind);
    } else {
        const auto original = sync::ItemContact(text);
        if (!original) return 0;
        Contact edited = *original;
        edited.Email = "new@example.org";
        edited.Tel2 = "+7 900 000-00-00";
        const std::string merged = sync::MergeContact(text, sync::ContactFields(*original), edited);
        Check(OwnLines(merged) == own || OwnLines(merged).empty());
        const auto back = sync::ItemContact(merged);
        // A second phone is one only beside a first.
        Check(back && back->Email == edited.Email &&
              (original->Tel1.empty() || back->Tel2 == edited.Tel2));
    }
    return 0;
}
