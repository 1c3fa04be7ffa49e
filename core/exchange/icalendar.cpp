#include "core/exchange/icalendar.h"

#include <libical/ical.h>
#include <unicode/ucal.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "core/exchange/charset.h"
#include "core/exchange/civil_time.h"
#include "core/exchange/content_line.h"
#include "storage/cp1251.h"
#include "storage/hash.h"
#include "storage/text.h"

namespace pomix::dataio {
namespace {

constexpr const char* kProductId = "-//Pomix//Pomix organizer//RU";
// A memo line for the place of an imported event, which the planner has no field for.
constexpr const char* kLocationLabel = "Место: ";
// Other words calendars use for a finished item (compared without case).
constexpr const char* kDoneWords[] = {"выполнено", "done", "completed"};
// The line of the file a block begins on travels through libical as this property of the
// block; the reader adds it and nothing else writes it.
constexpr const char* kLineProperty = "X-POMIX-SOURCE-LINE";
// Instances of a rule looked at for the first one no EXDATE removes, beyond the EXDATEs'
// own count (a rule libical cannot expand ends the search).
constexpr std::size_t kMaxExtraInstances = 16;
// libical writes no date after this year (it gives a zero date instead): such dates are
// neither read nor written.
constexpr int kLastYear = 3000;

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

bool StartsNoCase(const std::string& text, const char* prefix) {
    const std::size_t n = std::char_traits<char>::length(prefix);
    return text.size() >= n && UpperAscii(text.substr(0, n)) == prefix;
}

// ---------------------------------------------------------------------------------------
// Writing

// The day and the hour and minute of an event; nothing when its day is no date.
std::optional<CivilTime> EventStart(const Event& event) {
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

std::string Key(const Event& event) {
    std::string key = event.Name;
    key += '\0';
    if (const auto start = EventStart(event)) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", start->Year, start->Month,
                      start->Day, start->Hour, start->Minute, start->Second);
        key += text;
    }
    for (const std::string& line : event.Memo) {
        key += '\n';
        key += line;
    }
    return key;
}

// Stored text as UTF-8 for a text value; control characters but line breaks cannot stand in
// a file (libical escapes the line breaks).
std::string Utf8Text(const std::string& cp1251) {
    std::string out;
    for (char c : Cp1251ToUtf8(cp1251)) {
        if (c == '\n' || !IsControl(c)) out += c;
    }
    return out;
}

icaltimetype Floating(const CivilTime& t) {
    icaltimetype time = icaltime_null_time();
    time.year = t.Year;
    time.month = t.Month;
    time.day = t.Day;
    time.hour = t.Hour;
    time.minute = t.Minute;
    time.second = t.Second;
    time.is_date = 0;
    return time;
}

icalcomponent* NewEvent(const Event& event, const CivilTime& start, const std::string& uid,
                        int leadMinutes, long long stamp) {
    icalcomponent* vevent = icalcomponent_new_vevent();
    icalcomponent_add_property(vevent, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(
        vevent, icalproperty_new_dtstamp(icaltime_from_timet_with_zone(
                    static_cast<time_t>(stamp), 0, icaltimezone_get_utc_timezone())));
    icalcomponent_add_property(vevent, icalproperty_new_dtstart(Floating(start)));
    icalcomponent_add_property(vevent, icalproperty_new_summary(Utf8Text(event.Name).c_str()));
    if (!event.Memo.empty() && event.Memo != StrList{""}) {
        std::string joined;
        for (std::size_t i = 0; i < event.Memo.size(); ++i) {
            if (i > 0) joined += '\n';
            joined += event.Memo[i];
        }
        icalcomponent_add_property(vevent, icalproperty_new_description(Utf8Text(joined).c_str()));
    }
    if (event.Done == 1) {
        icalcomponent_add_property(vevent, icalproperty_new_categories(kDoneCategory));
    }
    if (event.Remind == 1) {
        icalcomponent* alarm = icalcomponent_new_valarm();
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        const std::string text = event.Name.empty() ? "-" : Utf8Text(event.Name);
        icalcomponent_add_property(alarm, icalproperty_new_description(text.c_str()));
        icalcomponent_add_property(
            alarm, icalproperty_new_trigger(icaltriggertype_from_int(-leadMinutes * 60)));
        icalcomponent_add_component(vevent, alarm);
    }
    return vevent;
}

ComponentPtr NewCalendar() {
    return ComponentPtr(icalcomponent_vanew(
        ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
        icalproperty_new_prodid(kProductId), icalproperty_new_calscale("GREGORIAN"), nullptr));
}

std::string AsText(icalcomponent* calendar) {
    char* text = icalcomponent_as_ical_string_r(calendar);
    std::string out = text ? text : "";
    std::free(text);
    return out;
}

// ---------------------------------------------------------------------------------------
// Reading: the lenient pass over the lines

struct OpenBlock {
    std::string Name;
    std::size_t Line;
    std::size_t Start;  // where its BEGIN stands in the text handed to libical
};

// The text with the lines that cannot be read left out (and noted), every block's first line
// recorded in it, and unended blocks dealt with: an unended calendar is ended at the end of
// the file, an unended block inside it left out. Blocks other than VCALENDAR at the top are
// left out as no calendar.
std::string CleanCalendarText(const std::string& text, ImportResult<Event>& result,
                              std::size_t& calendars) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::vector<OpenBlock> open;
    std::size_t outsideNote = std::string::npos;
    std::size_t outsideFirst = 0;
    auto& warnings = result.Warnings;
    const auto leaveOut = [&](const OpenBlock& block) {
        result.Skipped.push_back(Coded(
            {block.Line, "BEGIN:" + Quoted(block.Name) + " is never ended; the block is left out"},
            ImportReason::NeverEnded, Quoted(block.Name)));
        out.resize(block.Start);
    };
    for (const LogicalLine& line : UnfoldLines(text, warnings)) {
        const bool begin = StartsNoCase(line.Text, "BEGIN:");
        const bool end = StartsNoCase(line.Text, "END:");
        if (open.empty() && !begin) {
            if (outsideNote != std::string::npos && outsideNote + 1 == warnings.size()) {
                warnings.back().Reason = "lines " + std::to_string(outsideFirst) + "-" +
                                         std::to_string(line.Number) +
                                         ": text outside the calendar left out";
                ++warnings.back().Lines;
                warnings.back().LastLine = line.Number;
            } else {
                outsideFirst = line.Number;
                warnings.push_back(Coded({line.Number, "text outside the calendar left out", 1},
                                         ImportReason::TextOutside));
                outsideNote = warnings.size() - 1;
            }
            continue;
        }
        if (begin || end) {
            std::string name = line.Text.substr(begin ? 6 : 4);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
            name = UpperAscii(name);
            if (begin) {
                if (open.size() >= static_cast<std::size_t>(kMaxNesting)) {
                    warnings.push_back(
                        Coded({line.Number, "blocks nested too deep; the line is left out", 1},
                              ImportReason::NestedTooDeep));
                    continue;
                }
                // A block does not hold one of its own kind: the open one was never ended.
                std::size_t same = 0;
                while (same < open.size() && open[same].Name != name) ++same;
                while (open.size() > same && open.size() > 1) {
                    leaveOut(open.back());
                    open.pop_back();
                }
                open.push_back({name, line.Number, out.size()});
                out.append("BEGIN:").append(name).append(1, '\n');
                out.append(kLineProperty).append(1, ':');
                out.append(std::to_string(line.Number)).append(1, '\n');
                continue;
            }
            std::size_t match = open.size();
            while (match > 0 && open[match - 1].Name != name) --match;
            if (match == 0) {
                warnings.push_back(
                    Coded({line.Number,
                           "END:" + Quoted(name) + " does not close an open block, left out", 1},
                          ImportReason::EndWithoutBegin, Quoted(name)));
                continue;
            }
            while (open.size() > match) {
                leaveOut(open.back());
                open.pop_back();
            }
            out.append("END:").append(name).append(1, '\n');
            if (open.size() == 1) {
                if (open.back().Name == "VCALENDAR") {
                    ++calendars;
                } else {
                    result.Skipped.push_back(
                        Coded({open.back().Line,
                               "BEGIN:" + Quoted(open.back().Name) + " is not a calendar"},
                              ImportReason::NotACalendar, Quoted(open.back().Name)));
                    out.resize(open.back().Start);
                }
            }
            open.pop_back();
            continue;
        }
        try {
            ParseContentLine(line.Text, line.Number);
        } catch (const FormatError&) {
            warnings.push_back(Coded(
                {line.Number, "not a property line, left out: '" + Quoted(line.Text) + "'", 1},
                ImportReason::NotAPropertyLine, Quoted(line.Text)));
            continue;
        }
        out += line.Text;
        out += '\n';
    }
    while (open.size() > 1) {
        leaveOut(open.back());
        open.pop_back();
    }
    if (!open.empty()) {
        if (open.back().Name == "VCALENDAR") {
            warnings.push_back(Coded(
                {open.back().Line, "the calendar is never ended; read to the end of the file"},
                ImportReason::CalendarNeverEnded));
            out += "END:VCALENDAR\n";
            ++calendars;
        } else {
            leaveOut(open.back());
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Reading: time zones

// A zone name as the system's zone database has it: "Europe/Berlin" also for
// "/Europe/Berlin" and for the prefixed forms some programs write
// ("/mozilla.org/20050126_1/Europe/Berlin").
icaltimezone* SystemZone(const std::string& tzid) {
    std::string name = tzid;
    while (!name.empty() && (name.front() == '"' || name.front() == '/')) name.erase(0, 1);
    while (!name.empty() && name.back() == '"') name.pop_back();
    if (name.empty() || name.size() > 128) return nullptr;
    for (std::size_t from = 0; from < name.size();) {
        if (icaltimezone* zone = icaltimezone_get_builtin_timezone(name.c_str() + from))
            return zone;
        const std::size_t slash = name.find('/', from);
        if (slash == std::string::npos) break;
        from = slash + 1;
    }
    return nullptr;
}

// A Windows zone name ("Pacific Standard Time") by ICU's copy of the CLDR mapping.
icaltimezone* WindowsZone(const std::string& tzid) {
    if (tzid.empty() || tzid.size() > 128) return nullptr;
    UChar windows[256];
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(windows, 256, &length, tzid.data(), static_cast<int32_t>(tzid.size()), &status);
    if (U_FAILURE(status)) return nullptr;
    UChar id[128];
    const int32_t idLength =
        ucal_getTimeZoneIDForWindowsID(windows, length, nullptr, id, 128, &status);
    if (U_FAILURE(status) || idLength <= 0) return nullptr;
    char olson[256];
    int32_t olsonLength = 0;
    u_strToUTF8(olson, sizeof olson, &olsonLength, id, idLength, &status);
    if (U_FAILURE(status)) return nullptr;
    return icaltimezone_get_builtin_timezone(std::string(olson, olsonLength).c_str());
}

// ---------------------------------------------------------------------------------------
// Reading: events

std::string TextOf(const char* value) {
    return value ? value : "";
}

// A text value without the blanks at its end, which libical drops from a line it reads: a
// value ending in them would not come back the same from an export.
std::string ValueOf(const char* value) {
    std::string text = TextOf(value);
    // Control characters are dropped when stored; blanks they hid at the end would come to
    // the end once they are gone, and an export could not bring those back.
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' ||
            (IsControl(text.back()) && text.back() != '\n' && text.back() != '\r'))) {
        text.pop_back();
    }
    return text;
}

std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : NormalizeBreaks(text)) out += c == '\n' ? ' ' : c;
    return out;
}

bool IsDoneWord(const std::string& utf8) {
    const std::string lower = LowerCase(Utf8ToCp1251(TrimBlanks(utf8)));
    for (const char* w : kDoneWords) {
        if (lower == LowerCase(Utf8ToCp1251(w))) return true;
    }
    return false;
}

// libical keeps one iterator per component: every walk takes a copy first, so that nothing
// called inside it (a note naming the line, a time zone looked up) can move it on.
std::vector<icalproperty*> PropertiesOf(icalcomponent* block, icalproperty_kind kind) {
    std::vector<icalproperty*> found;
    for (icalproperty* p = icalcomponent_get_first_property(block, kind); p;
         p = icalcomponent_get_next_property(block, kind)) {
        found.push_back(p);
    }
    return found;
}

std::vector<icalcomponent*> ChildrenOf(icalcomponent* block, icalcomponent_kind kind) {
    std::vector<icalcomponent*> found;
    for (icalcomponent* c = icalcomponent_get_first_component(block, kind); c;
         c = icalcomponent_get_next_component(block, kind)) {
        found.push_back(c);
    }
    return found;
}

std::size_t SourceLine(icalcomponent* block) {
    for (icalproperty* p = icalcomponent_get_first_property(block, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(block, ICAL_X_PROPERTY)) {
        const char* name = icalproperty_get_x_name(p);
        if (name && std::string(name) == kLineProperty) {
            return static_cast<std::size_t>(
                std::strtoull(TextOf(icalproperty_get_x(p)).c_str(), nullptr, 10));
        }
    }
    return 0;
}

bool IsValid(const icaltimetype& t) {
    CivilTime civil{t.year,
                    t.month,
                    t.day,
                    t.is_date ? 0 : t.hour,
                    t.is_date ? 0 : t.minute,
                    t.is_date ? 0 : t.second};
    if (civil.Second == 60) civil.Second = 59;
    return !icaltime_is_null_time(t) && IsValidCivil(civil) && civil.Year <= kLastYear;
}

// A start or an occurrence: the wall time in its zone, and a key that orders and compares
// occurrences of one event.
struct Moment {
    icaltimetype Time;             // as written
    icaltimezone* Zone = nullptr;  // nullptr: floating, a whole day, or UTC
    long long Key = 0;             // seconds: UTC when zoned or UTC, the wall time otherwise
    bool Utc = false;
};

class CalendarReader {
public:
    CalendarReader(icalcomponent* calendar, ImportResult<Event>& result)
        : calendar_(calendar), result_(result) {}

    void Read() {
        std::vector<icalcomponent*> events;
        NoteErrors(calendar_);
        for (icalcomponent* c : ChildrenOf(calendar_, ICAL_ANY_COMPONENT)) {
            switch (icalcomponent_isa(c)) {
                case ICAL_VEVENT_COMPONENT:
                    events.push_back(c);
                    break;
                case ICAL_VTIMEZONE_COMPONENT:
                    break;
                case ICAL_VTODO_COMPONENT:
                    Skip(c, "a to-do item (VTODO)", ImportReason::NotAnEvent, "VTODO");
                    break;
                case ICAL_VJOURNAL_COMPONENT:
                    Skip(c, "a journal entry (VJOURNAL)", ImportReason::NotAnEvent, "VJOURNAL");
                    break;
                default: {
                    const std::string kind =
                        Quoted(TextOf(icalcomponent_kind_to_string(icalcomponent_isa(c))));
                    Skip(c, "BEGIN:" + kind + " is not an event", ImportReason::NotAnEvent, kind);
                }
            }
        }
        for (icalcomponent* e : events) {
            const std::string uid = TextOf(icalcomponent_get_uid(e));
            if (icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) {
                changed_[uid].push_back(e);
            } else {
                series_.insert(uid);
            }
        }
        for (icalcomponent* e : events) ReadEvent(e);
        // Known only now: which changed occurrences stood in for their series' first.
        for (icalcomponent* e : events) {
            if (IsChangeOfSeries(e) && !taken_.count(e)) {
                const std::string series = Quoted(OneLine(TextOf(icalcomponent_get_summary(e))));
                Skip(e,
                     "a changed occurrence of the series '" + series +
                         "' (the series is taken once)",
                     ImportReason::ChangedOccurrence, series);
            }
        }
    }

private:
    icalcomponent* calendar_;
    ImportResult<Event>& result_;
    std::map<std::string, icaltimezone*> zones_;
    std::set<std::string> series_;  // UIDs of the events that are not changed occurrences
    std::map<std::string, std::vector<icalcomponent*>> changed_;
    std::set<icalcomponent*> taken_;  // changed occurrences that stand for their series' first

    bool IsChangeOfSeries(icalcomponent* event) const {
        return icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) &&
               series_.count(TextOf(icalcomponent_get_uid(event)));
    }

    void Skip(icalcomponent* block, const std::string& reason, ImportReason code,
              std::string subject = {}) {
        result_.Skipped.push_back(Coded({SourceLine(block), reason}, code, std::move(subject)));
    }

    // What libical could not read inside a block (a value it does not understand) is left
    // out of it; an empty value is no fault.
    void NoteErrors(icalcomponent* block) {
        const std::size_t line = SourceLine(block);
        for (icalproperty* p : PropertiesOf(block, ICAL_XLICERROR_PROPERTY)) {
            const std::string what = TextOf(icalproperty_get_xlicerror(p));
            if (what.rfind("No value for", 0) == 0) continue;
            result_.Warnings.push_back(Coded(
                {line,
                 "in BEGIN:" +
                     std::string(TextOf(icalcomponent_kind_to_string(icalcomponent_isa(block)))) +
                     " a value left out: " + Quoted(what),
                 1},
                ImportReason::ValueLeftOut, Quoted(what)));
        }
        for (icalcomponent* c : ChildrenOf(block, ICAL_ANY_COMPONENT)) {
            NoteErrors(c);
        }
    }

    icaltimezone* Zone(const std::string& tzid, icalcomponent* block) {
        const auto known = zones_.find(tzid);
        if (known != zones_.end()) return known->second;
        icaltimezone* zone = icalcomponent_get_timezone(calendar_, tzid.c_str());
        if (!zone) zone = SystemZone(tzid);
        if (!zone) zone = WindowsZone(tzid);
        if (!zone) {
            result_.Simplified.push_back(
                Coded({SourceLine(block),
                       "unknown time zone '" + Quoted(tzid) + "': its times are taken as local"},
                      ImportReason::UnknownZone, Quoted(tzid)));
        }
        zones_[tzid] = zone;
        return zone;
    }

    // The time of a DTSTART, EXDATE, RDATE or RECURRENCE-ID property.
    std::optional<Moment> MomentOf(icalproperty* property, icaltimetype time,
                                   icalcomponent* block) {
        if (!IsValid(time)) return std::nullopt;
        Moment moment;
        moment.Time = time;
        moment.Utc = !time.is_date && icaltime_is_utc(time);
        if (!time.is_date && !icaltime_is_utc(time)) {
            if (icalparameter* tzid =
                    icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER)) {
                moment.Zone = Zone(TextOf(icalparameter_get_tzid(tzid)), block);
            }
        }
        moment.Time.zone = nullptr;
        if (moment.Zone) {
            moment.Key =
                static_cast<long long>(icaltime_as_timet_with_zone(moment.Time, moment.Zone));
        } else if (moment.Utc) {
            moment.Key = static_cast<long long>(
                icaltime_as_timet_with_zone(time, icaltimezone_get_utc_timezone()));
        } else {
            moment.Key =
                CivilToSeconds({time.year, time.month, time.day, time.is_date ? 0 : time.hour,
                                time.is_date ? 0 : time.minute, time.is_date ? 0 : time.second});
        }
        return moment;
    }

    std::optional<Moment> Start(icalcomponent* event) {
        icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        if (!start) return std::nullopt;
        return MomentOf(start, icalproperty_get_dtstart(start), event);
    }

    // Keys of the occurrences removed: EXDATEs and cancelled changed occurrences. A whole-day
    // EXDATE removes the day of a timed series.
    std::set<long long> Excluded(icalcomponent* event, const std::string& uid) {
        std::set<long long> keys;
        for (icalproperty* p : PropertiesOf(event, ICAL_EXDATE_PROPERTY)) {
            if (const auto moment = MomentOf(p, icalproperty_get_exdate(p), event)) {
                keys.insert(moment->Key);
            }
        }
        const auto changed = changed_.find(uid);
        if (changed == changed_.end()) return keys;
        for (icalcomponent* c : changed->second) {
            if (icalcomponent_get_status(c) != ICAL_STATUS_CANCELLED) continue;
            icalproperty* id = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY);
            if (const auto moment = MomentOf(id, icalproperty_get_recurrenceid(id), c)) {
                keys.insert(moment->Key);
                taken_.insert(c);  // accounted for as a removed occurrence
            }
        }
        return keys;
    }

    Moment At(const Moment& start, icaltimetype time) {
        Moment m = start;
        m.Time = time;
        m.Time.zone = nullptr;
        m.Time.is_date = start.Time.is_date;
        if (start.Zone) {
            m.Key = static_cast<long long>(icaltime_as_timet_with_zone(m.Time, start.Zone));
        } else if (start.Utc) {
            m.Key = static_cast<long long>(
                icaltime_as_timet_with_zone(m.Time, icaltimezone_get_utc_timezone()));
        } else {
            m.Key = CivilToSeconds(
                {m.Time.year, m.Time.month, m.Time.day, m.Time.is_date ? 0 : m.Time.hour,
                 m.Time.is_date ? 0 : m.Time.minute, m.Time.is_date ? 0 : m.Time.second});
        }
        return m;
    }

    // The first occurrence of the event that is not removed; nothing when every one is.
    std::optional<Moment> FirstOccurrence(icalcomponent* event, const Moment& start,
                                          const std::set<long long>& excluded) {
        if (!excluded.count(start.Key)) return start;
        std::optional<Moment> best;
        if (icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
            if (recurrence.freq != ICAL_NO_RECURRENCE) {
                icaltimetype first = start.Time;
                first.zone = nullptr;
                if (icalrecur_iterator* it = icalrecur_iterator_new(recurrence, first)) {
                    const std::size_t limit = excluded.size() + kMaxExtraInstances;
                    for (std::size_t i = 0; i < limit; ++i) {
                        const icaltimetype next = icalrecur_iterator_next(it);
                        if (icaltime_is_null_time(next) || !IsValid(next)) break;
                        const Moment m = At(start, next);
                        if (!excluded.count(m.Key)) {
                            best = m;
                            break;
                        }
                    }
                    icalrecur_iterator_free(it);
                }
            }
        }
        for (icalproperty* p : PropertiesOf(event, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
            const icaltimetype time =
                icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
            const auto m = MomentOf(p, time, event);
            if (!m || excluded.count(m->Key)) continue;
            // A floating RDATE of a zoned series is in the series' zone.
            const Moment occurrence = m->Zone || m->Utc ? *m : At(start, m->Time);
            if (excluded.count(occurrence.Key)) continue;
            if (!best || occurrence.Key < best->Key) best = occurrence;
        }
        return best;
    }

    // The changed occurrence that replaces this occurrence of the series, if the file has one.
    icalcomponent* ChangedAt(const std::string& uid, const Moment& occurrence) {
        const auto changed = changed_.find(uid);
        if (changed == changed_.end()) return nullptr;
        for (icalcomponent* c : changed->second) {
            icalproperty* id = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY);
            const auto moment = MomentOf(id, icalproperty_get_recurrenceid(id), c);
            if (moment && moment->Key == occurrence.Key &&
                icalcomponent_get_status(c) != ICAL_STATUS_CANCELLED) {
                return c;
            }
        }
        return nullptr;
    }

    void ReadEvent(icalcomponent* event) {
        const std::string uid = TextOf(icalcomponent_get_uid(event));
        const bool isChange = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
        const std::string title = OneLine(TextOf(icalcomponent_get_summary(event)));
        if (IsChangeOfSeries(event)) return;
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED) {
            Skip(event, "a cancelled event", ImportReason::Cancelled);
            return;
        }
        const auto start = Start(event);
        if (!start) {
            icalproperty* p = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
            Skip(event, p ? "an unreadable DTSTART" : "an event without DTSTART",
                 p ? ImportReason::UnreadableStart : ImportReason::NoStart);
            return;
        }
        const bool recurring =
            !isChange && (icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
                          icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY));
        Moment when = *start;
        icalcomponent* source = event;
        if (recurring || icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY)) {
            const auto first = FirstOccurrence(event, *start, Excluded(event, uid));
            if (!first) {
                Skip(event, "every occurrence of '" + Quoted(title) + "' is excluded (EXDATE)",
                     ImportReason::AllExcluded, Quoted(title));
                return;
            }
            when = *first;
            if (icalcomponent* changed = ChangedAt(uid, when)) {
                // The first occurrence was moved or changed: that is what the planner gets.
                taken_.insert(changed);
                if (const auto moved = Start(changed)) {
                    when = *moved;
                    source = changed;
                }
            }
            if (recurring) {
                result_.Simplified.push_back(Coded(
                    {SourceLine(event),
                     "recurring event '" + Quoted(title) + "' taken once, at its first occurrence"},
                    ImportReason::RecurringTakenOnce, Quoted(title)));
            }
        }
        Add(source, when, uid);
    }

    void Add(icalcomponent* event, const Moment& when, const std::string& uid) {
        CivilTime local;
        if (when.Time.is_date) {
            local = {when.Time.year, when.Time.month, when.Time.day, 0, 0, 0};
        } else if (when.Zone || when.Utc) {
            local = UtcToLocal(when.Key);
        } else {
            local = {when.Time.year, when.Time.month,  when.Time.day,
                     when.Time.hour, when.Time.minute, when.Time.second};
        }
        DateTime day = 0;
        if (local.Year > kLastYear || !TryEncodeDate(local.Year, local.Month, local.Day, day)) {
            Skip(event, "an unreadable DTSTART", ImportReason::UnreadableStart);
            return;
        }
        std::size_t& lost = result_.Replaced;
        std::string name =
            ToStored(ValueOf(OneLine(TextOf(icalcomponent_get_summary(event))).c_str()), lost);
        StrList memo;
        if (icalcomponent_get_first_property(event, ICAL_DESCRIPTION_PROPERTY)) {
            for (const std::string& line :
                 SplitAtBreaks(ValueOf(icalcomponent_get_description(event)))) {
                memo.push_back(ToStored(line, lost));
            }
        }
        // An empty description is none: libical drops an empty value, so it could not come
        // back from an export.
        if (memo.size() == 1 && memo[0].empty()) memo.clear();
        const std::string place =
            ValueOf(OneLine(TextOf(icalcomponent_get_location(event))).c_str());
        if (!place.empty()) memo.push_back(ToStored(kLocationLabel + place, lost));
        // Some calendars keep a VALARM with ACTION:NONE as a placeholder for "no alarm".
        bool remind = false;
        for (icalcomponent* alarm : ChildrenOf(event, ICAL_VALARM_COMPONENT)) {
            icalproperty* action = icalcomponent_get_first_property(alarm, ICAL_ACTION_PROPERTY);
            const char* value = action ? icalproperty_get_value_as_string(action) : nullptr;
            if (!value || UpperAscii(value) != "NONE") remind = true;
        }
        bool done = icalcomponent_get_status(event) == ICAL_STATUS_COMPLETED;
        for (icalproperty* p : PropertiesOf(event, ICAL_CATEGORIES_PROPERTY)) {
            for (const std::string& item :
                 SplitUnescaped(TextOf(icalproperty_get_categories(p)), ',')) {
                if (IsDoneWord(item)) done = true;
            }
        }
        result_.Records.emplace_back(std::move(name), memo, day,
                                     EncodeTime(local.Hour, local.Minute), 1, remind ? 1 : 0,
                                     done ? 1 : 0);
        result_.Uids.push_back(uid);
    }
};

}  // namespace

std::string EventUid(const Event& event, int occurrence) {
    char text[48];
    std::snprintf(text, sizeof text, "%016llx-%d@pomix",
                  static_cast<unsigned long long>(Fnv1a(Key(event))), occurrence);
    return text;
}

CalendarExport WriteICalendar(const EventList& list, int leadMinutes, long long stampUtcSeconds) {
    CalendarExport result;
    ComponentPtr calendar = NewCalendar();
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const Event& event = list[i];
        const auto start = EventStart(event);
        if (!start || start->Year > kLastYear) {
            result.Skipped.push_back(
                {i + 1, "event '" + Quoted(Cp1251ToUtf8(event.Name)) +
                            (start ? "' lies after the year 3000, which calendars cannot hold"
                                   : "' has no valid day")});
            continue;
        }
        const int occurrence = seen[Key(event)]++;
        icalcomponent_add_component(
            calendar.get(),
            NewEvent(event, *start, EventUid(event, occurrence), leadMinutes, stampUtcSeconds));
        ++result.Written;
    }
    result.Text = AsText(calendar.get());
    return result;
}

std::string WriteEventCalendar(const Event& event, const std::string& uid, int leadMinutes,
                               long long stampUtcSeconds) {
    const auto start = EventStart(event);
    if (!start || start->Year > kLastYear) return {};
    ComponentPtr calendar = NewCalendar();
    icalcomponent_add_component(calendar.get(),
                                NewEvent(event, *start, uid, leadMinutes, stampUtcSeconds));
    return AsText(calendar.get());
}

ImportResult<Event> ReadICalendar(const std::string& bytes) {
    std::string text = FileToUtf8(bytes);
    if (text.find('\0') != std::string::npos) throw FormatError("binary data, not text");
    // Older Russian programs write windows-1251 without saying so.
    if (!IsValidUtf8(text)) text = Cp1251ToUtf8(text);
    ImportResult<Event> result;
    std::size_t calendars = 0;
    const std::string clean = CleanCalendarText(text, result, calendars);
    if (calendars == 0) {
        if (result.Skipped.empty()) throw FormatError("no BEGIN:VCALENDAR in the file");
        return result;  // blocks of another kind only (an address book)
    }
    ComponentPtr root(icalparser_parse_string(clean.c_str()));
    if (!root) throw FormatError("no BEGIN:VCALENDAR in the file");
    const auto readCalendar = [&](icalcomponent* calendar) {
        CalendarReader(calendar, result).Read();
    };
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        readCalendar(root.get());
    } else {
        for (icalcomponent* c : ChildrenOf(root.get(), ICAL_VCALENDAR_COMPONENT)) {
            readCalendar(c);
        }
    }
    return result;
}

}  // namespace pomix::dataio
