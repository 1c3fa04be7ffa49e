#include "dataio/icalendar.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <optional>

#include "dataio/civil_time.h"
#include "dataio/content_line.h"
#include "storage/cp1251.h"

namespace pomix::dataio {
namespace {

constexpr const char* kProductId = "-//Pomix//Pomix organizer//RU";
// A memo line for the place of an imported event, which the planner has no field for.
constexpr const char* kLocationLabel = "Место: ";
// Other words calendars use for a finished item (compared without case).
constexpr const char* kDoneWords[] = {"выполнено", "done", "completed"};

std::string Escaped(const std::string& cp1251) {
    return EscapeText(Cp1251ToUtf8(cp1251));
}

std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// The day and the hour and minute of an event; nothing when its day is no date.
std::optional<CivilTime> EventStart(const Tevent& event) {
    DateTime day;
    if (!WholeDay(event.Date, day)) return std::nullopt;
    auto start = FromDateTime(day);
    if (!start) return std::nullopt;
    const TimeParts time = DecodeTime(event.Time);
    start->Hour = time.hour;
    start->Minute = time.minute;
    start->Second = 0;
    return start;
}

std::string Key(const Tevent& event) {
    std::string key = event.Name;
    key += '\0';
    if (const auto start = EventStart(event)) key += ICalDateTime(*start);
    for (const std::string& line : event.Memo) {
        key += '\n';
        key += line;
    }
    return key;
}

std::string Trigger(int leadMinutes) {
    return leadMinutes == 0 ? "PT0M" : "-PT" + std::to_string(leadMinutes) + "M";
}

std::string WriteEvent(const Tevent& event, const CivilTime& start, const std::string& uid,
                       int leadMinutes, const std::string& stamp) {
    std::string out = "BEGIN:VEVENT\r\n";
    out += FoldLine("UID:" + uid);
    out += FoldLine("DTSTAMP:" + stamp);
    out += FoldLine("DTSTART:" + ICalDateTime(start));
    out += FoldLine("SUMMARY:" + Escaped(event.Name));
    if (!event.Memo.empty()) {
        std::string joined;
        for (std::size_t i = 0; i < event.Memo.size(); ++i) {
            if (i > 0) joined += '\n';
            joined += event.Memo[i];
        }
        out += FoldLine("DESCRIPTION:" + Escaped(joined));
    }
    if (event.Done == 1) out += FoldLine(std::string("CATEGORIES:") + kDoneCategory);
    if (event.Remind == 1) {
        out += "BEGIN:VALARM\r\nACTION:DISPLAY\r\n";
        out += FoldLine("DESCRIPTION:" + Escaped(event.Name.empty() ? "-" : event.Name));
        out += FoldLine("TRIGGER:" + Trigger(leadMinutes));
        out += "END:VALARM\r\n";
    }
    out += "END:VEVENT\r\n";
    return out;
}

std::string Text(const ContentLine& line) {
    return UnescapeText(DecodeValue(line));
}

std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : NormalizeBreaks(text)) out += c == '\n' ? ' ' : c;
    return out;
}

bool IsDoneWord(const std::string& utf8) {
    std::string word = utf8;
    while (!word.empty() && word.front() == ' ') word.erase(0, 1);
    while (!word.empty() && word.back() == ' ') word.pop_back();
    const std::string lower = LowerCase(Utf8ToCp1251(word));
    for (const char* w : kDoneWords) {
        if (lower == LowerCase(Utf8ToCp1251(w))) return true;
    }
    return false;
}

bool IsDone(const Component& block) {
    if (const ContentLine* status = block.Find("STATUS")) {
        if (UpperCase(Text(*status)) == "COMPLETED") return true;
    }
    for (const ContentLine* line : block.FindAll("CATEGORIES")) {
        for (const std::string& item : SplitUnescaped(DecodeValue(*line), ',')) {
            if (IsDoneWord(UnescapeText(item))) return true;
        }
    }
    return false;
}

// A zone the file names but does not describe: the system's time zone files may know it.
// The conversion goes through TZ, which is set for the moment and then put back.
std::optional<long long> SystemZoneToUtc(const std::string& name, const CivilTime& wall) {
    if (name.empty() || name.size() > 64 || name.find("..") != std::string::npos)
        return std::nullopt;
    for (char c : name) {
        const bool ok = std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' ||
                        c == '-' || c == '+';
        if (!ok) return std::nullopt;
    }
    const std::string file = "/usr/share/zoneinfo/" + name;
    if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
        std::fclose(f);
    } else {
        return std::nullopt;
    }
    const char* old = std::getenv("TZ");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("TZ", name.c_str(), 1);
    tzset();
    std::tm tm{};
    tm.tm_year = wall.Year - 1900;
    tm.tm_mon = wall.Month - 1;
    tm.tm_mday = wall.Day;
    tm.tm_hour = wall.Hour;
    tm.tm_min = wall.Minute;
    tm.tm_sec = wall.Second;
    tm.tm_isdst = -1;
    const std::time_t utc = std::mktime(&tm);
    if (saved) {
        setenv("TZ", saved->c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    if (utc == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<long long>(utc);
}

class CalendarReader {
public:
    explicit CalendarReader(ImportResult<Tevent>& result) : result_(result) {}

    void AddZones(const Component& calendar) {
        for (const Component& child : calendar.Children) {
            if (child.Name != "VTIMEZONE") continue;
            try {
                zones_.Add(child);
            } catch (const FormatError& e) {
                // Events in that zone fall back to the system's zone files or local time.
                result_.Warnings.push_back(
                    {child.LineNumber, std::string("time zone left out: ") + e.what()});
            }
        }
    }

    void Read(const Component& calendar) {
        for (const Component& child : calendar.Children) {
            if (child.Name == "VEVENT") {
                ReadEvent(child);
            } else if (child.Name == "VTODO") {
                Skip(child, "a to-do item (VTODO)");
            } else if (child.Name == "VJOURNAL") {
                Skip(child, "a journal entry (VJOURNAL)");
            } else if (child.Name != "VTIMEZONE") {
                Skip(child, "BEGIN:" + Quoted(child.Name) + " is not an event");
            }
        }
    }

    void Skip(const Component& block, const std::string& reason) {
        result_.Skipped.push_back({block.LineNumber, reason});
    }

private:
    ImportResult<Tevent>& result_;
    ZoneTable zones_;

    // The start as the machine's local time; nothing (and a note) when it cannot be read.
    std::optional<CivilTime> LocalStart(const Component& block, const ContentLine& start) {
        const auto value = ParseICalTime(start.Value);
        if (!value) return std::nullopt;
        if (value->DateOnly) return value->Time;  // a whole day has no time zone
        if (value->Utc) return UtcToLocal(CivilToSeconds(value->Time));
        const std::string tzid = start.FirstParam("TZID");
        if (tzid.empty()) return value->Time;  // floating: local wherever it is read
        if (zones_.Knows(tzid)) return UtcToLocal(zones_.ToUtc(tzid, value->Time));
        if (const auto utc = SystemZoneToUtc(ZoneName(tzid), value->Time)) return UtcToLocal(*utc);
        result_.Simplified.push_back({block.LineNumber, "unknown time zone '" + Quoted(tzid) +
                                                            "': the time is taken as local"});
        return value->Time;
    }

    void ReadEvent(const Component& block) {
        if (block.Find("RECURRENCE-ID")) {
            Skip(block, "a changed occurrence of a recurring event (the series is taken once)");
            return;
        }
        if (const ContentLine* status = block.Find("STATUS")) {
            if (UpperCase(Text(*status)) == "CANCELLED") {
                Skip(block, "a cancelled event");
                return;
            }
        }
        const ContentLine* startLine = block.Find("DTSTART");
        if (!startLine) {
            Skip(block, "an event without DTSTART");
            return;
        }
        const auto start = LocalStart(block, *startLine);
        DateTime day = 0;
        if (!start || !TryEncodeDate(start->Year, start->Month, start->Day, day)) {
            Skip(block, "an unreadable DTSTART '" + Quoted(startLine->Value) + "'");
            return;
        }
        std::size_t& lost = result_.Replaced;
        const ContentLine* summary = block.Find("SUMMARY");
        std::string name = summary ? ToStored(OneLine(Text(*summary)), lost) : std::string();
        StrList memo;
        if (const ContentLine* description = block.Find("DESCRIPTION")) {
            for (const std::string& line : SplitAtBreaks(Text(*description))) {
                memo.push_back(ToStored(line, lost));
            }
        }
        if (const ContentLine* location = block.Find("LOCATION")) {
            const std::string place = OneLine(Text(*location));
            if (!place.empty()) memo.push_back(ToStored(kLocationLabel + place, lost));
        }
        // Some calendars keep a VALARM with ACTION:NONE as a placeholder for "no alarm".
        bool remind = false;
        for (const Component& child : block.Children) {
            const ContentLine* action = child.Find("ACTION");
            const bool silent = action && UpperCase(action->Value) == "NONE";
            remind = remind || (child.Name == "VALARM" && !silent);
        }
        if (block.Find("RRULE") || block.Find("RDATE")) {
            result_.Simplified.push_back(
                {block.LineNumber, "recurring event '" +
                                       Quoted(OneLine(summary ? Text(*summary) : "")) +
                                       "' taken once, at its first occurrence"});
        }
        result_.Records.emplace_back(std::move(name), memo, day,
                                     EncodeTime(start->Hour, start->Minute), 1, remind ? 1 : 0,
                                     IsDone(block) ? 1 : 0);
    }
};

}  // namespace

std::string EventUid(const Tevent& event, int occurrence) {
    char text[48];
    std::snprintf(text, sizeof text, "%016llx-%d@pomix",
                  static_cast<unsigned long long>(Fnv1a(Key(event))), occurrence);
    return text;
}

CalendarExport WriteICalendar(const EventList& list, int leadMinutes, long long stampUtcSeconds) {
    CalendarExport result;
    const std::string stamp = ICalDateTime(SecondsToCivil(stampUtcSeconds), true);
    result.Text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    result.Text += FoldLine(std::string("PRODID:") + kProductId);
    result.Text += "CALSCALE:GREGORIAN\r\n";
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const Tevent& event = list[i];
        const auto start = EventStart(event);
        if (!start) {
            result.Skipped.push_back(
                {i + 1, "event '" + Quoted(Cp1251ToUtf8(event.Name)) + "' has no valid day"});
            continue;
        }
        const int occurrence = seen[Key(event)]++;
        result.Text += WriteEvent(event, *start, EventUid(event, occurrence), leadMinutes, stamp);
        ++result.Written;
    }
    result.Text += "END:VCALENDAR\r\n";
    return result;
}

ImportResult<Tevent> ReadICalendar(const std::string& text) {
    const std::vector<Component> blocks = ReadComponents(text);
    if (blocks.empty()) throw FormatError("no BEGIN:VCALENDAR in the file");
    ImportResult<Tevent> result;
    CalendarReader reader(result);
    for (const Component& block : blocks) {
        if (block.Name == "VCALENDAR") reader.AddZones(block);
    }
    for (const Component& block : blocks) {
        if (block.Name == "VCALENDAR") {
            reader.Read(block);
        } else {
            reader.Skip(block, "BEGIN:" + Quoted(block.Name) + " is not a calendar");
        }
    }
    return result;
}

}  // namespace pomix::dataio
