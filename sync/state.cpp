#include "sync/state.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "storage/atomic_file.h"
#include "storage/errors.h"
#include "storage/hash.h"
#include "storage/text_file.h"

namespace pomix::sync {
namespace {

constexpr char kMapHeader[] = "pomix-sync-map 1";
// A mapping of a few hundred thousand items stays well under this.
constexpr std::uint64_t kMaxMapBytes = std::uint64_t{1} << 30;
constexpr std::uint64_t kMaxSettingsBytes = 64 << 10;

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '%': out += "%25"; break;
        case '\t': out += "%09"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        default: out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out) {
    std::size_t percent = text.find('%');
    if (percent == std::string_view::npos) {  // the usual case: nothing escaped
        out.assign(text);
        return true;
    }
    out.assign(text.substr(0, percent));
    for (std::size_t i = percent; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const std::string_view hex = text.substr(i + 1, 2);
        if (hex == "25") out += '%';
        else if (hex == "09") out += '\t';
        else if (hex == "0D") out += '\r';
        else if (hex == "0A") out += '\n';
        else return false;
        i += 2;
    }
    return true;
}

// The TAB-separated fields of line, at most kMaxTabFields (a line with more is not one of
// ours: count is then above the limit).
constexpr std::size_t kMaxTabFields = 8;
struct TabFields {
    std::string_view Field[kMaxTabFields];
    std::size_t Count = 0;
};

TabFields SplitTabs(std::string_view line) {
    TabFields out;
    for (;;) {
        const std::size_t tab = line.find('\t');
        if (out.Count == kMaxTabFields) {
            ++out.Count;
            return out;
        }
        out.Field[out.Count++] = line.substr(0, tab);
        if (tab == std::string_view::npos) return out;
        line.remove_prefix(tab + 1);
    }
}

// The trailer's check sum of the lines before it: 16 hexadecimal digits.
std::string Checksum(std::string_view lines) {
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(lines)));
    return hash;
}

const char* KindName(bool events) { return events ? "events" : "contacts"; }

bool ParseMap(const std::string& text, SyncState& state) {
    const std::size_t trailer = text.rfind("\nZ\t");
    if (!text.starts_with(std::string(kMapHeader) + "\n") || trailer == std::string::npos)
        return false;
    const TabFields z = SplitTabs(std::string_view(text).substr(trailer + 1));
    if (z.Count != 3 || !z.Field[2].ends_with("\n")) return false;
    if (z.Field[2] != Checksum(std::string_view(text).substr(0, trailer + 1)) + "\n") return false;
    std::size_t count = 0;
    std::size_t pos = std::string(kMapHeader).size() + 1;
    std::string fields;
    while (pos <= trailer) {
        const std::size_t end = text.find('\n', pos);
        const TabFields f = SplitTabs(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
        ++count;
        if (f.Count < 3 || (f.Field[1] != "events" && f.Field[1] != "contacts")) return false;
        const bool events = f.Field[1] == "events";
        CollectionState& c = events ? state.Events : state.Contacts;
        if (f.Field[0] == "C" && f.Count == 4) {
            if (!Unescape(f.Field[2], c.Url) || !Unescape(f.Field[3], c.Token)) return false;
        } else if (f.Field[0] == "E" && f.Count == 6) {
            Entry& e = c.Entries.emplace_back();
            if (!Unescape(f.Field[2], e.Url) || !Unescape(f.Field[3], e.ETag) ||
                !Unescape(f.Field[4], fields) || !Unescape(f.Field[5], e.Item))
                return false;
            auto split = SplitFields(fields, events ? kEventFieldCount : kContactFieldCount);
            if (!split) return false;
            e.Local = std::move(*split);
        } else {
            return false;
        }
    }
    return std::to_string(count) == z.Field[1];
}

}  // namespace

SyncState LoadState(const std::string& folder, MapStatus& status) {
    const std::string path = folder + "/" + kMapFileName;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        status = MapStatus::Missing;
        return {};
    }
    SyncState state;
    try {
        if (ParseMap(ReadWholeTextFile(path, kMaxMapBytes), state)) {
            status = MapStatus::Read;
            return state;
        }
    } catch (const EStorageError&) {
    }
    status = MapStatus::Damaged;
    return {};
}

void SaveState(const std::string& folder, const SyncState& state) {
    std::string text = std::string(kMapHeader) + "\n";
    std::size_t count = 0;
    for (bool events : {true, false}) {
        const CollectionState& c = events ? state.Events : state.Contacts;
        if (c.Url.empty()) continue;
        text += std::string("C\t") + KindName(events) + "\t" + Escape(c.Url) + "\t" + Escape(c.Token) + "\n";
        ++count;
        for (const Entry& e : c.Entries) {
            text += std::string("E\t") + KindName(events) + "\t" + Escape(e.Url) + "\t" +
                    Escape(e.ETag) + "\t" + Escape(JoinFields(e.Local)) + "\t" + Escape(e.Item) +
                    "\n";
            ++count;
        }
    }
    text += "Z\t" + std::to_string(count) + "\t" + Checksum(text) + "\n";
    ReplaceFile(folder + "/" + kMapFileName, text);
}

SyncSettings LoadSyncSettings(const std::string& folder) {
    SyncSettings s;
    std::string text;
    try {
        text = ReadWholeTextFile(folder + "/" + kSettingsFileName, kMaxSettingsBytes);
    } catch (const EStorageError&) {
        return s;  // none yet
    }
    for (std::string line : SplitLines(text)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "server") s.Server = value;
        else if (key == "user") s.User = value;
        else if (key == "calendar") s.Calendar = value;
        else if (key == "addressbook") s.AddressBook = value;
        else if (key == "interval") s.IntervalMinutes = std::atoi(value.c_str());
        else if (key == "allow_http") s.AllowPlainHttp = value == "1";
    }
    return s;
}

void SaveSyncSettings(const std::string& folder, const SyncSettings& s) {
    // Values are one line each: a line break typed into a field cannot add a key.
    const auto clean = [](std::string v) {
        std::erase_if(v, [](char c) { return c == '\r' || c == '\n'; });
        return v;
    };
    const std::string text = "server=" + clean(s.Server) + "\nuser=" + clean(s.User) +
                             "\ncalendar=" + clean(s.Calendar) + "\naddressbook=" +
                             clean(s.AddressBook) + "\ninterval=" +
                             std::to_string(s.IntervalMinutes) +
                             "\nallow_http=" + (s.AllowPlainHttp ? "1" : "0") + "\n";
    ReplaceFile(folder + "/" + kSettingsFileName, text);
}

}  // namespace pomix::sync
