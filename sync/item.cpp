#include "sync/item.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <random>
#include <set>

#include <libical/ical.h>

#include "core/exchange/charset.h"
#include "core/exchange/civil_time.h"
#include "core/exchange/content_line.h"
#include "core/exchange/icalendar.h"
#include "core/exchange/vcard.h"
#include "storage/cp1251.h"
#include "storage/text.h"

namespace pomix::sync {
namespace {

constexpr char kFieldSeparator = '\x1f';

std::string Joined(const StrList& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += '\n';
        out += lines[i];
    }
    return out;
}

// One property line of an item: its text as the server sent it (folds kept) and, unfolded,
// its name without a group.
struct Line {
    std::string Raw;       // without the final line break
    std::string Unfolded;  // the logical line
    std::string Name;      // upper case; "BEGIN"/"END" for block lines
    std::string Block;     // for BEGIN and END: the block's name, upper case
};

std::string ValueOf(const std::string& unfolded) {
    bool quoted = false;
    for (std::size_t i = 0; i < unfolded.size(); ++i) {
        if (unfolded[i] == '"') quoted = !quoted;
        if (unfolded[i] == ':' && !quoted) return unfolded.substr(i + 1);
    }
    return {};
}

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    // The lines as the readers unfold them, so that what is kept means what it meant: a run of
    // CRs before an LF (or without one) ends one line; a line starting with a blank continues
    // the line before, and so does any line after a quoted-printable soft break; a blank line
    // ends that chain, so it is kept (as an empty line) where a continuation follows it.
    bool open = false;  // whether the last line takes continuations
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string physical = text.substr(pos, end - pos);
        pos = end;
        while (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
        if (open && dataio::EndsInSoftBreak(lines.back().Unfolded)) {
            lines.back().Raw += "\r\n" + physical;
            lines.back().Unfolded.pop_back();
            lines.back().Unfolded += physical;
            continue;
        }
        if (open && (physical.starts_with(' ') || physical.starts_with('\t'))) {
            lines.back().Raw += "\r\n" + physical;
            lines.back().Unfolded += physical.substr(1);
            continue;
        }
        open = physical.find_first_not_of(" \t") != std::string::npos;
        if (!open && !lines.empty() && lines.back().Raw.empty() && physical.empty()) continue;
        lines.push_back({physical, physical, {}, {}});
    }
    for (Line& line : lines) {
        const std::size_t stop = line.Unfolded.find_first_of(";:");
        std::string name = line.Unfolded.substr(0, stop);
        if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) {
            name = name.substr(dot + 1);
        }
        line.Name = UpperAscii(name);
        if (line.Name == "BEGIN" || line.Name == "END")
            line.Block = UpperAscii(ValueOf(line.Unfolded));
    }
    return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& line : lines) out += line.Raw + "\r\n";
    return out;
}

// Where the record's own block lies: [Begin, End] are its BEGIN and END lines.
struct Span {
    std::size_t Begin = 0, End = 0;
    bool Found = false;
};

// The first block of that name (for events: the one without RECURRENCE-ID, the series).
Span FindBlock(const std::vector<Line>& lines, const std::string& block) {
    Span first;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Name != "BEGIN" || lines[i].Block != block) continue;
        int depth = 0;
        Span span;
        span.Begin = i;
        bool recurrenceId = false;
        for (std::size_t j = i; j < lines.size(); ++j) {
            if (lines[j].Name == "BEGIN") ++depth;
            if (lines[j].Name == "END" && --depth == 0) {
                span.End = j;
                span.Found = true;
                break;
            }
            if (depth == 1 && lines[j].Name == "RECURRENCE-ID") recurrenceId = true;
        }
        if (!span.Found) break;
        if (!recurrenceId) return span;
        if (!first.Found) first = span;
        i = span.End;
    }
    return first;
}

// The positions of the lines directly in the block (not in nested blocks) named name.
std::vector<std::size_t> Direct(const std::vector<Line>& lines, const Span& span,
                                const std::string& name) {
    std::vector<std::size_t> out;
    int depth = 0;
    for (std::size_t i = span.Begin; i <= span.End; ++i) {
        if (lines[i].Name == "BEGIN") ++depth;
        if (depth == 1 && lines[i].Name == name) out.push_back(i);
        if (lines[i].Name == "END") --depth;
    }
    return out;
}

// The lines of the record's block in a text this program wrote.
std::vector<Line> OwnLines(const std::string& text, const std::string& block,
                           const std::string& name) {
    const std::vector<Line> lines = SplitLines(text);
    const Span span = FindBlock(lines, block);
    std::vector<Line> out;
    if (!span.Found) return out;
    for (std::size_t i : Direct(lines, span, name)) out.push_back(lines[i]);
    return out;
}

// The nested blocks named child of the record's block, each BEGIN to END.
std::vector<std::pair<std::size_t, std::size_t>> ChildBlocks(const std::vector<Line>& lines,
                                                             const Span& span,
                                                             const std::string& child) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    int depth = 0;
    // Only a child opened by its own BEGIN counts: a server's "END:VALARM" closing a block of
    // another name must not make a span that starts nowhere.
    constexpr std::size_t kNone = std::string::npos;
    std::size_t start = kNone;
    for (std::size_t i = span.Begin; i <= span.End; ++i) {
        if (lines[i].Name == "BEGIN") {
            ++depth;
            if (depth == 2) start = lines[i].Block == child ? i : kNone;
        }
        if (lines[i].Name == "END") {
            if (depth == 2 && start != kNone && lines[i].Block == child) out.emplace_back(start, i);
            if (depth == 2) start = kNone;
            --depth;
        }
    }
    return out;
}

// Replaces, in the record's block, the direct lines named name (only the occurrence-th one
// when occurrence >= 0) by replacement, at the place of the first one replaced (else before
// the block's end).
void ReplaceProperty(std::vector<Line>& lines, const std::string& block, const std::string& name,
                     const std::vector<Line>& replacement, int occurrence = -1) {
    const Span span = FindBlock(lines, block);
    if (!span.Found) return;
    std::vector<std::size_t> at = Direct(lines, span, name);
    if (occurrence >= 0) {
        if (static_cast<std::size_t>(occurrence) < at.size()) {
            at = {at[static_cast<std::size_t>(occurrence)]};
        } else {
            at.clear();
        }
    }
    std::size_t insert = at.empty() ? span.End : at.front();
    for (auto it = at.rbegin(); it != at.rend(); ++it) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*it));
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), replacement.begin(),
                 replacement.end());
}

void SetUid(std::string& text, const std::string& block, const std::string& uid) {
    std::vector<Line> lines = SplitLines(text);
    const std::string line = "UID:" + uid;
    ReplaceProperty(lines, block, "UID", {{line, line, "UID", {}}});
    // The UID goes first in the block, where readers look for it.
    const Span span = FindBlock(lines, block);
    const std::vector<std::size_t> at = Direct(lines, span, "UID");
    if (span.Found && !at.empty() && at.front() == span.End - 1 && block == "VCARD") {
        Line uidLine = lines[at.front()];
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at.front()));
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(span.Begin) + 1, uidLine);
    }
    text = JoinLines(lines);
}

std::string EventText(const Event& event) {
    EventList list;
    list.Append(event);
    return dataio::WriteICalendar(list, dataio::kDefaultLeadMinutes,
                                  static_cast<long long>(std::time(nullptr)))
        .Text;
}

std::string ContactText(const Contact& contact) {
    AddressList list;
    list.Add(contact);
    return dataio::WriteVCards(list);
}

Contact EmptyContact() {
    return Contact({}, {}, {}, 0, {}, {}, {}, {}, {}, {}, kNoCategory);
}

bool IsDoneWord(const std::string& utf8) {
    std::string word = utf8;
    while (!word.empty() && word.front() == ' ') word.erase(0, 1);
    while (!word.empty() && word.back() == ' ') word.pop_back();
    const std::string lower = LowerCase(Utf8ToCp1251(word));
    return lower == LowerCase(Utf8ToCp1251(dataio::kDoneCategory)) || lower == "done" ||
           lower == "completed";
}

// The parameters of a property line (";TZID=...;VALUE=DATE") as written, so that a zone's name
// goes back as it was; ParamsOf upper-cases them to compare two lines'.
std::string RawParamsOf(const Line& line) {
    const std::string value = ValueOf(line.Unfolded);
    const std::size_t semicolon = line.Unfolded.find(';');
    const std::size_t colon = line.Unfolded.size() - value.size() - 1;
    if (semicolon == std::string::npos || semicolon > colon) return {};
    return line.Unfolded.substr(semicolon, colon - semicolon);
}
std::string ParamsOf(const Line& line) { return UpperAscii(RawParamsOf(line)); }

// The DTEND that keeps an event's length when its start moves from oldStart to newStart:
// both old times are read as written, in the same zone or both dates; anything else (or an end
// before the start) gives nothing, and the item is left without an end.
std::optional<Line> MovedEnd(const Line& oldStart, const Line& oldEnd, const Line& newStart) {
    if (ParamsOf(oldStart) != ParamsOf(oldEnd)) return std::nullopt;
    const std::string from = ValueOf(oldStart.Unfolded), to = ValueOf(oldEnd.Unfolded),
                      now = ValueOf(newStart.Unfolded);
    const auto parse = [](const std::string& text, icaltimetype& t) {
        if (text.size() != 8 && text.size() != 15 && text.size() != 16) return false;
        t = icaltime_from_string(text.c_str());
        return !icaltime_is_null_time(t) && icaltime_is_valid_time(t);
    };
    icaltimetype start{}, end{}, moved{};
    if (!parse(from, start) || !parse(to, end) || !parse(now, moved)) return std::nullopt;
    if (from.ends_with('Z') != to.ends_with('Z')) return std::nullopt;
    const auto seconds = [](icaltimetype t) {
        t.zone = nullptr;
        return static_cast<long long>(icaltime_as_timet(t));
    };
    const long long length = seconds(end) - seconds(start);
    if (length < 0) return std::nullopt;
    icaltimetype newEnd = icaltime_from_timet_with_zone(
        static_cast<time_t>(seconds(moved) + length), moved.is_date && length % 86400 == 0,
        nullptr);
    std::string value = icaltime_as_ical_string(newEnd);
    if (now.ends_with('Z') && !value.ends_with('Z')) value += 'Z';
    const std::string text = "DTEND" + RawParamsOf(newStart) + ":" + value;
    return Line{text, text, "DTEND", {}};
}

// How the readers show properties that have no field of their own among a memo's or a note's
// lines (UTF-8): an edit of such a line goes back to its property.
constexpr char kPlaceLabel[] = "Место: ";
constexpr char kPhoneLabel[] = "Телефон: ";
constexpr char kOrganisationLabel[] = "Организация: ";

// A property line of name with that UTF-8 text as its escaped value.
Line TextLine(const std::string& name, const std::string& value) {
    const std::string text = name + ":" + dataio::EscapeText(value);
    std::string raw = dataio::FoldLine(text);
    if (raw.ends_with("\r\n")) raw.resize(raw.size() - 2);
    return {raw, text, name, {}};
}

// The value after label when line (code page 1251) begins with it.
std::optional<std::string> Labelled(const std::string& line, const char* label) {
    const std::string stored = Utf8ToCp1251(label);
    if (!line.starts_with(stored)) return std::nullopt;
    return Cp1251ToUtf8(line.substr(stored.size()));
}

StrList SplitJoined(const std::string& joined) {
    StrList out;
    if (joined.empty()) return out;
    std::size_t from = 0;
    for (std::size_t at; (at = joined.find('\n', from)) != std::string::npos; from = at + 1)
        out.push_back(joined.substr(from, at - from));
    out.push_back(joined.substr(from));
    return out;
}

// An hour after a timed start, as phones do: some servers refuse a timed event without an end
// ("DTEND must occur after DTSTART"), though the standard allows it. Nothing for a day's event.
std::optional<Line> DefaultEnd(const Line& start) {
    const std::string value = ValueOf(start.Unfolded);
    if (value.size() != 15 && value.size() != 16) return std::nullopt;
    icaltimetype t = icaltime_from_string(value.c_str());
    if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t) || t.is_date) return std::nullopt;
    t.zone = nullptr;
    t = icaltime_add(t, icaldurationtype_from_int(3600));
    std::string end = icaltime_as_ical_string(t);
    if (value.ends_with('Z') && !end.ends_with('Z')) end += 'Z';
    const std::string text = "DTEND" + RawParamsOf(start) + ":" + end;
    return Line{text, text, "DTEND", {}};
}

// The event's block gets an end when it has a timed start and neither end nor duration.
void WithEnd(std::vector<Line>& lines) {
    const Span span = FindBlock(lines, "VEVENT");
    if (!span.Found || !Direct(lines, span, "DTEND").empty() ||
        !Direct(lines, span, "DURATION").empty())
        return;
    const std::vector<std::size_t> start = Direct(lines, span, "DTSTART");
    if (start.size() != 1) return;
    if (auto end = DefaultEnd(lines[start[0]])) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(start[0]) + 1, *end);
    }
}

// A parameter's value as written (quotes taken off); empty when the line has none.
std::string ParamValue(const Line& line, const std::string& param) {
    const std::string value = ValueOf(line.Unfolded);
    const std::string head = line.Unfolded.substr(0, line.Unfolded.size() - value.size() - 1);
    const std::string upper = UpperAscii(head);
    const std::size_t at = upper.find(";" + param + "=");
    if (at == std::string::npos) return {};
    std::size_t from = at + param.size() + 2, to;
    if (from < head.size() && head[from] == '"') {
        to = head.find('"', ++from);
    } else {
        to = head.find(';', from);
    }
    return head.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// Naive seconds of a date or date-time value (zone letter ignored); nothing when unreadable.
std::optional<long long> NaiveSeconds(const std::string& value) {
    if (value.size() != 8 && value.size() != 15 && value.size() != 16) return std::nullopt;
    icaltimetype t = icaltime_from_string(value.c_str());
    if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t)) return std::nullopt;
    t.zone = nullptr;
    return static_cast<long long>(icaltime_as_timet(t));
}

std::string NaiveValue(long long seconds, bool date, bool utc) {
    icaltimetype t = icaltime_from_timet_with_zone(static_cast<time_t>(seconds), date ? 1 : 0, nullptr);
    t.zone = nullptr;
    std::string out = icaltime_as_ical_string(t);
    if (utc && !out.ends_with('Z')) out += 'Z';
    return out;
}

// The moved start written as the old one was: in its zone (TZID, from the item's own VTIMEZONE,
// else libical's zone of that name) or in UTC; floating otherwise. Pomix's time is the
// machine's local time, as the reader made it. Also gives how far the series moved, in wall
// time, for the dates that move with it.
struct MovedStart {
    Line Start;
    long long Shift = 0;
};
std::optional<MovedStart> StartLike(const std::string& item, const Line& oldStart,
                                    const Line& floating) {
    const std::string oldValue = ValueOf(oldStart.Unfolded), local = ValueOf(floating.Unfolded);
    const std::optional<long long> before = NaiveSeconds(oldValue), wall = NaiveSeconds(local);
    if (!before || !wall || local.size() != 15 || oldValue.size() == 8) return std::nullopt;
    const std::string tzid = ParamValue(oldStart, "TZID");
    std::string value = local;
    if (!tzid.empty() || oldValue.ends_with('Z')) {
        const dataio::CivilTime civil = dataio::SecondsToCivil(*wall);
        std::tm tm{};
        tm.tm_year = civil.Year - 1900;
        tm.tm_mon = civil.Month - 1;
        tm.tm_mday = civil.Day;
        tm.tm_hour = civil.Hour;
        tm.tm_min = civil.Minute;
        tm.tm_isdst = -1;
        const time_t moment = std::mktime(&tm);
        if (moment == static_cast<time_t>(-1)) return std::nullopt;
        if (tzid.empty()) {
            value = NaiveValue(static_cast<long long>(moment), false, true);
        } else {
            icalcomponent* root = icalparser_parse_string(item.c_str());
            icaltimezone* zone = root ? icalcomponent_get_timezone(root, tzid.c_str()) : nullptr;
            if (!zone) zone = icaltimezone_get_builtin_timezone(tzid.c_str());
            if (zone) {
                icaltimetype there = icaltime_from_timet_with_zone(moment, 0, zone);
                there.zone = nullptr;  // written as wall time, its zone named by TZID
                value = icaltime_as_ical_string(there);
            }
            if (root) icalcomponent_free(root);
            if (!zone) return std::nullopt;
        }
    }
    const std::string head =
        oldStart.Unfolded.substr(0, oldStart.Unfolded.size() - oldValue.size() - 1);
    const std::string text = head + ":" + value;
    std::string raw = dataio::FoldLine(text);
    if (raw.ends_with("\r\n")) raw.resize(raw.size() - 2);
    return MovedStart{{raw, text, "DTSTART", {}}, *NaiveSeconds(value) - *before};
}

// Each date of the line moved by shift seconds of wall time (dates only by whole days); a
// line of periods, or a date that would move by part of a day, stays as it is.
void ShiftDates(Line& line, long long shift) {
    const std::string value = ValueOf(line.Unfolded);
    if (UpperAscii(ParamValue(line, "VALUE")) == "PERIOD") return;
    std::string moved;
    for (const std::string& one : dataio::SplitUnescaped(value, ',')) {
        const std::optional<long long> at = NaiveSeconds(one);
        const bool date = one.size() == 8;
        if (!at || (date && shift % 86400 != 0)) return;
        moved += (moved.empty() ? "" : ",") + NaiveValue(*at + shift, date, one.ends_with('Z'));
    }
    const std::string text = line.Unfolded.substr(0, line.Unfolded.size() - value.size()) + moved;
    std::string raw = dataio::FoldLine(text);
    if (raw.ends_with("\r\n")) raw.resize(raw.size() - 2);
    line = {raw, text, line.Name, {}};
}

// The series' exceptions and extra dates, and the occurrences its overrides replace, follow
// a moved start: left behind, cancelled occurrences would come back.
void ShiftSeriesDates(std::vector<Line>& lines, long long shift) {
    if (shift == 0) return;
    const Span series = FindBlock(lines, "VEVENT");
    for (const char* name : {"EXDATE", "RDATE"}) {
        for (std::size_t i : Direct(lines, series, name)) ShiftDates(lines[i], shift);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Name != "BEGIN" || lines[i].Block != "VEVENT" || i == series.Begin) continue;
        Span other;
        for (std::size_t j = i; j < lines.size(); ++j) {
            if (lines[j].Name == "END" && lines[j].Block == "VEVENT") {
                other = {i, j, true};
                break;
            }
        }
        if (!other.Found) break;
        for (std::size_t j : Direct(lines, other, "RECURRENCE-ID")) ShiftDates(lines[j], shift);
        i = other.End;
    }
}

// The marks of a newer version of an edited event: DTSTAMP and LAST-MODIFIED now, SEQUENCE up.
void Renew(std::vector<Line>& lines) {
    const std::string now = NaiveValue(static_cast<long long>(std::time(nullptr)), false, true);
    const auto line = [](const std::string& text, const char* name) {
        return Line{text, text, name, {}};
    };
    ReplaceProperty(lines, "VEVENT", "DTSTAMP", {line("DTSTAMP:" + now, "DTSTAMP")});
    ReplaceProperty(lines, "VEVENT", "LAST-MODIFIED",
                    {line("LAST-MODIFIED:" + now, "LAST-MODIFIED")});
    long sequence = 0;
    const std::vector<std::size_t> at = Direct(lines, FindBlock(lines, "VEVENT"), "SEQUENCE");
    if (!at.empty()) sequence = std::strtol(ValueOf(lines[at[0]].Unfolded).c_str(), nullptr, 10);
    ReplaceProperty(lines, "VEVENT", "SEQUENCE",
                    {line("SEQUENCE:" + std::to_string(std::max(0L, sequence) + 1), "SEQUENCE")});
}

// The new value under the old line's group, name and parameters (a phone stays "work" or
// "cell"), less those that describe how the old value was written.
Line WithParamsOf(const Line& old, const Line& replacement) {
    const std::string oldValue = ValueOf(old.Unfolded);
    const std::string head = old.Unfolded.substr(0, old.Unfolded.size() - oldValue.size() - 1);
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : head) {
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    std::string text = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string param = UpperAscii(parts[i].substr(0, parts[i].find('=')));
        if (param == "ENCODING" || param == "CHARSET" || param == "VALUE") continue;
        if (param == "QUOTED-PRINTABLE" || param == "BASE64" || param == "B") continue;
        text += ";" + parts[i];
    }
    text += ':';
    text += ValueOf(replacement.Unfolded);
    std::string raw = dataio::FoldLine(text);
    if (raw.ends_with("\r\n")) raw.resize(raw.size() - 2);
    return {raw, text, replacement.Name, {}};
}

}  // namespace

std::optional<Fields> EventFields(const Event& event) {
    DateTime day;
    if (!WholeDay(event.Date, day)) return std::nullopt;
    const TimeParts time = DecodeTime(event.Time);
    char start[48];
    std::snprintf(start, sizeof start, "%lld %02d:%02d", static_cast<long long>(day), time.hour,
                  time.minute);
    return Fields{event.Name, Joined(event.Memo), start, event.Remind == 1 ? "1" : "0",
                  event.Done == 1 ? "1" : "0"};
}

Fields ContactFields(const Contact& c) {
    std::string birth;
    DateParts parts{};
    if (c.Date != 0 && TryDecodeDate(c.Date, parts)) {
        birth = std::to_string(parts.year) + "-" + std::to_string(parts.month) + "-" +
                std::to_string(parts.day);
    }
    const std::string category = c.Category == kPersonalCategory   ? "0"
                                 : c.Category == kBusinessCategory ? "1"
                                                                   : "-";
    return Fields{c.Surname, c.FirstName, c.Patronymic, birth,          c.Address, c.Tel1,
                  c.Tel2,    c.Email,     c.URL,        Joined(c.Note), category};
}

std::string JoinFields(const Fields& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out += kFieldSeparator;
        out += fields[i];
    }
    return out;
}

std::optional<Fields> SplitFields(const std::string& text, std::size_t count) {
    Fields fields;
    fields.reserve(count);
    for (std::size_t from = 0;;) {
        const std::size_t to = text.find(kFieldSeparator, from);
        fields.emplace_back(text, from, to == std::string::npos ? std::string::npos : to - from);
        if (to == std::string::npos) break;
        from = to + 1;
    }
    if (fields.size() != count) return std::nullopt;
    return fields;
}

std::string NewUid() {
    static thread_local std::mt19937_64 random{std::random_device{}() ^
                                               (static_cast<std::uint64_t>(std::random_device{}()) << 32)};
    char text[40];
    std::snprintf(text, sizeof text, "pomix-%016llx%016llx",
                  static_cast<unsigned long long>(random()),
                  static_cast<unsigned long long>(random()));
    return text;
}

std::string NewEventItem(const Event& event, const std::string& uid) {
    std::string text = EventText(event);
    SetUid(text, "VEVENT", uid);
    std::vector<Line> lines = SplitLines(text);
    WithEnd(lines);
    return JoinLines(lines);
}

std::string NewContactItem(const Contact& contact, const std::string& uid) {
    std::string text = ContactText(contact);
    SetUid(text, "VCARD", uid);
    return text;
}

std::optional<Event> ItemEvent(const std::string& text) {
    try {
        auto result = dataio::ReadICalendar(text);
        if (result.Records.empty()) return std::nullopt;
        return result.Records.front();
    } catch (const dataio::FormatError&) {
        return std::nullopt;
    }
}

std::optional<Contact> ItemContact(const std::string& text) {
    try {
        auto result = dataio::ReadVCards(text);
        if (result.Records.size() != 1) return std::nullopt;
        return result.Records.front();
    } catch (const dataio::FormatError&) {
        return std::nullopt;
    }
}

static std::string MergedEvent(const std::string& original, const Fields& before,
                               const Event& now) {
    const std::optional<Fields> after = EventFields(now);
    if (!after || before.size() != kEventFieldCount) return original;
    std::vector<Line> lines = SplitLines(original);
    if (!FindBlock(lines, "VEVENT").Found) return original;
    const std::string generated = EventText(now);
    const auto own = [&](const char* name) { return OwnLines(generated, "VEVENT", name); };
    const Fields& b = before;
    const Fields& a = *after;
    if (a[0] != b[0]) ReplaceProperty(lines, "VEVENT", "SUMMARY", own("SUMMARY"));
    if (a[1] != b[1]) {
        // The reader shows LOCATION as the memo's last line, "Место: ...": that line goes
        // back to LOCATION, touched only when it changed, and the others to DESCRIPTION.
        const auto placeOf = [](StrList& memo) {
            std::optional<std::string> place;
            if (!memo.empty()) place = Labelled(memo.back(), kPlaceLabel);
            if (place) memo.pop_back();
            return place;
        };
        StrList oldMemo = SplitJoined(b[1]);
        const std::optional<std::string> oldPlace = placeOf(oldMemo);
        Event described = now;
        const std::optional<std::string> place = placeOf(described.Memo);
        ReplaceProperty(lines, "VEVENT", "DESCRIPTION",
                        OwnLines(EventText(described), "VEVENT", "DESCRIPTION"));
        if (place != oldPlace) {
            std::vector<Line> location;
            if (place) {
                location.push_back(TextLine("LOCATION", *place));
                const std::vector<std::size_t> at =
                    Direct(lines, FindBlock(lines, "VEVENT"), "LOCATION");
                if (!at.empty()) location[0] = WithParamsOf(lines[at[0]], location[0]);
            }
            ReplaceProperty(lines, "VEVENT", "LOCATION", location);
        }
    }
    if (a[2] != b[2]) {
        // The end moves with the start, so the event keeps its length; a DURATION stays valid.
        std::vector<Line> start = own("DTSTART");
        std::vector<Line> end;
        const Span span = FindBlock(lines, "VEVENT");
        const std::vector<std::size_t> oldStart = Direct(lines, span, "DTSTART"),
                                       oldEnd = Direct(lines, span, "DTEND");
        std::optional<long long> shift;
        if (oldStart.size() == 1 && start.size() == 1) {
            if (auto moved = StartLike(original, lines[oldStart[0]], start[0])) {
                start[0] = moved->Start;
                shift = moved->Shift;
            }
        }
        if (oldStart.size() == 1 && oldEnd.size() == 1 && start.size() == 1) {
            if (auto line = MovedEnd(lines[oldStart[0]], lines[oldEnd[0]], start[0])) {
                end.push_back(*line);
            }
        }
        ReplaceProperty(lines, "VEVENT", "DTSTART", start);
        ReplaceProperty(lines, "VEVENT", "DTEND", end);
        if (shift) ShiftSeriesDates(lines, *shift);
    }
    WithEnd(lines);
    if (a[3] != b[3]) {
        const Span span = FindBlock(lines, "VEVENT");
        const auto alarms = ChildBlocks(lines, span, "VALARM");
        for (auto it = alarms.rbegin(); it != alarms.rend(); ++it) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(it->first),
                        lines.begin() + static_cast<std::ptrdiff_t>(it->second) + 1);
        }
        if (now.Remind == 1) {
            const std::vector<Line> gen = SplitLines(generated);
            const Span genSpan = FindBlock(gen, "VEVENT");
            std::vector<Line> block;
            for (const auto& [from, to] : ChildBlocks(gen, genSpan, "VALARM")) {
                block.insert(block.end(), gen.begin() + static_cast<std::ptrdiff_t>(from),
                             gen.begin() + static_cast<std::ptrdiff_t>(to) + 1);
            }
            const Span at = FindBlock(lines, "VEVENT");
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at.End), block.begin(),
                         block.end());
        }
    }
    if (a[4] != b[4]) {
        // Done is read from STATUS:COMPLETED or a done category: both are made to agree.
        const Span span = FindBlock(lines, "VEVENT");
        for (std::size_t i : Direct(lines, span, "STATUS")) {
            if (UpperAscii(ValueOf(lines[i].Unfolded)) == "COMPLETED" && now.Done != 1) {
                ReplaceProperty(lines, "VEVENT", "STATUS", {});
                break;
            }
        }
        std::vector<Line> categories;
        for (std::size_t i : Direct(lines, FindBlock(lines, "VEVENT"), "CATEGORIES")) {
            const Line& line = lines[i];
            const std::string value = ValueOf(line.Unfolded);
            std::string kept;
            for (const std::string& word : dataio::SplitUnescaped(value, ',')) {
                if (IsDoneWord(dataio::UnescapeText(word))) continue;
                kept += (kept.empty() ? "" : ",") + word;
            }
            if (kept.empty()) continue;
            const std::string head = line.Unfolded.substr(0, line.Unfolded.size() - value.size());
            const std::string text = head + kept;
            categories.push_back({kept == value ? line.Raw : dataio::FoldLine(text), text,
                                  "CATEGORIES", {}});
            if (categories.back().Raw.ends_with("\r\n")) {
                categories.back().Raw.resize(categories.back().Raw.size() - 2);
            }
        }
        for (const Line& line : own("CATEGORIES")) categories.push_back(line);
        ReplaceProperty(lines, "VEVENT", "CATEGORIES", categories);
    }
    if (a != b) Renew(lines);
    return JoinLines(lines);
}

// The note's lines as the reader makes them: the card's NOTE, then what has no field of its
// own ("Организация: ...", "Телефон: ..." for a third phone, ...). Those lines go back to their
// properties: ORG and the further TELs take the edited values (their parameters kept), lines
// as they were stay as their properties, and the rest is the NOTE.
static void MergeNote(std::vector<Line>& lines, const StrList& note) {
    std::vector<Line> withoutNote = lines;
    ReplaceProperty(withoutNote, "VCARD", "NOTE", {});
    const std::optional<Contact> shown = ItemContact(JoinLines(withoutNote));
    std::multiset<std::string> derived;
    std::vector<std::string> oldPhones;
    std::optional<std::string> oldOrg;
    for (const std::string& line : shown ? shown->Note : StrList{}) {
        if (auto phone = Labelled(line, kPhoneLabel)) {
            oldPhones.push_back(*phone);
        } else if (auto org = Labelled(line, kOrganisationLabel); org && !oldOrg) {
            oldOrg = org;
        } else {
            derived.insert(line);
        }
    }
    std::vector<std::string> phones;
    std::optional<std::string> org;
    StrList own;
    for (const std::string& line : note) {
        if (auto phone = Labelled(line, kPhoneLabel)) {
            phones.push_back(*phone);
        } else if (auto value = Labelled(line, kOrganisationLabel); value && !org) {
            org = value;
        } else if (const auto it = derived.find(line); it != derived.end()) {
            derived.erase(it);
        } else {
            own.push_back(line);
        }
    }
    if (org != oldOrg) {
        std::vector<Line> replacement;
        if (org) {
            replacement.push_back(TextLine("ORG", *org));
            const std::vector<std::size_t> at = Direct(lines, FindBlock(lines, "VCARD"), "ORG");
            if (!at.empty()) replacement[0] = WithParamsOf(lines[at[0]], replacement[0]);
        }
        ReplaceProperty(lines, "VCARD", "ORG", replacement, org ? 0 : -1);
    }
    if (phones != oldPhones) {
        // The phones the reader shows in the note: those with a value, after the first two.
        std::vector<std::size_t> at;
        for (std::size_t i : Direct(lines, FindBlock(lines, "VCARD"), "TEL")) {
            if (!ValueOf(lines[i].Unfolded).empty()) at.push_back(i);
        }
        at.erase(at.begin(), at.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(2, at.size())));
        std::size_t end = FindBlock(lines, "VCARD").End;
        for (std::size_t k = phones.size(); k < at.size(); ++k) lines[at[k]].Name = "\x01";
        for (std::size_t k = at.size(); k < phones.size(); ++k) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end++), TextLine("TEL", phones[k]));
        }
        for (std::size_t k = 0; k < phones.size() && k < at.size(); ++k) {
            if (k < oldPhones.size() && phones[k] == oldPhones[k]) continue;
            lines[at[k]] = WithParamsOf(lines[at[k]], TextLine("TEL", phones[k]));
        }
        std::erase_if(lines, [](const Line& line) { return line.Name == "\x01"; });
    }
    Contact only = EmptyContact();
    only.Note = own;
    ReplaceProperty(lines, "VCARD", "NOTE", OwnLines(ContactText(only), "VCARD", "NOTE"));
}

static std::string MergedContact(const std::string& original, const Fields& before,
                                 const Contact& now) {
    const Fields a = ContactFields(now);
    if (before.size() != kContactFieldCount) return original;
    std::vector<Line> lines = SplitLines(original);
    if (!FindBlock(lines, "VCARD").Found) return original;
    const std::string generated = ContactText(now);
    const auto own = [&](const std::string& text, const char* name) {
        return OwnLines(text, "VCARD", name);
    };
    const Fields& b = before;
    if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) {
        ReplaceProperty(lines, "VCARD", "N", own(generated, "N"));
        ReplaceProperty(lines, "VCARD", "FN", own(generated, "FN"));
    }
    if (a[3] != b[3]) ReplaceProperty(lines, "VCARD", "BDAY", own(generated, "BDAY"));
    // A field of one line: the property line of a card that holds only that field.
    const auto single = [&](std::size_t index, const char* name, int occurrence,
                            auto set) {
        if (a[index] == b[index]) return;
        Contact only = EmptyContact();
        set(only);
        std::vector<Line> replacement;
        for (const Line& line : own(ContactText(only), name)) {
            if (!ValueOf(line.Unfolded).empty()) replacement.push_back(line);
        }
        const std::vector<std::size_t> at = Direct(lines, FindBlock(lines, "VCARD"), name);
        if (replacement.size() == 1 && static_cast<std::size_t>(occurrence) < at.size()) {
            replacement[0] = WithParamsOf(lines[at[static_cast<std::size_t>(occurrence)]],
                                          replacement[0]);
        }
        ReplaceProperty(lines, "VCARD", name, replacement, occurrence);
    };
    single(4, "ADR", 0, [&](Contact& c) { c.Address = now.Address; });
    single(5, "TEL", 0, [&](Contact& c) { c.Tel1 = now.Tel1; });
    single(6, "TEL", 1, [&](Contact& c) { c.Tel1 = now.Tel2; });
    single(7, "EMAIL", 0, [&](Contact& c) { c.Email = now.Email; });
    single(8, "URL", 0, [&](Contact& c) { c.URL = now.URL; });
    if (a[9] != b[9]) MergeNote(lines, now.Note);
    if (a[10] != b[10]) ReplaceProperty(lines, "VCARD", "CATEGORIES", own(generated, "CATEGORIES"));
    return JoinLines(lines);
}

// The UID of the record's block, or a new one.
static std::string UidOf(const std::string& text, const std::string& block) {
    const std::vector<Line> lines = SplitLines(text);
    const Span span = FindBlock(lines, block);
    if (span.Found) {
        for (std::size_t i : Direct(lines, span, "UID")) {
            const std::string uid = ValueOf(lines[i].Unfolded);
            if (!uid.empty()) return uid;
        }
    }
    return NewUid();
}

// A merge that does not read back as the edited record (the readers took another block than
// the one edited, or a property of the server's changes how they read the edited one) gives
// way to Pomix's own item under the same UID: the record is never sent wrong.
std::string MergeEvent(const std::string& server, const Fields& before, const Event& now) {
    // The reader takes a calendar that is not UTF-8 (a UTF-16 file, a stray byte anywhere) as
    // a whole in another encoding; the edited lines are UTF-8, so a merge into the bytes as
    // sent would read back garbled. The merge works on the text as the reader took it.
    std::string original = dataio::FileToUtf8(server);
    if (!dataio::IsValidUtf8(original)) original = Cp1251ToUtf8(original);
    std::string merged = MergedEvent(original, before, now);
    const auto back = ItemEvent(merged);
    if (!back || EventFields(*back) != EventFields(now)) {
        merged = NewEventItem(now, UidOf(original, "VEVENT"));
    }
    return merged;
}

std::string MergeContact(const std::string& server, const Fields& before, const Contact& now) {
    // A UTF-16 card is merged as the UTF-8 the reader makes of it; single values in other
    // charsets stay as they are, since the reader takes each by its own line.
    const std::string original = dataio::FileToUtf8(server);
    std::string merged = MergedContact(original, before, now);
    const auto back = ItemContact(merged);
    // The note reads back with the card's own lines before those made of other properties,
    // whatever order the user gave them: that is no reason to replace the card.
    const auto shown = [](Fields fields) {
        StrList note = SplitJoined(fields[9]);
        std::sort(note.begin(), note.end());
        fields[9] = Joined(note);
        return fields;
    };
    if (!back || shown(ContactFields(*back)) != shown(ContactFields(now))) {
        merged = NewContactItem(now, UidOf(original, "VCARD"));
    }
    return merged;
}

}  // namespace pomix::sync
