#include "core/exchange/records_csv.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>

#include "core/exchange/charset.h"
#include "core/exchange/content_line.h"
#include "core/exchange/csv.h"
#include "storage/dates.h"
#include "storage/text.h"

namespace pomix::dataio {
namespace {

// The file as UTF-8 text: UTF-16 and byte-order marks by FileToUtf8; what is not UTF-8 then
// is the ANSI code page of a Russian system.
std::string CsvTextOf(const std::string& bytes) {
    std::string text = FileToUtf8(bytes);
    if (text.find('\0') != std::string::npos) throw FormatError("binary data, not text");
    if (!IsValidUtf8(text)) text = CharsetToUtf8(text, "windows-1251").value_or(text);
    return text;
}

bool ReadNumber(const std::string& text, std::size_t& at, int& value, std::size_t most) {
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && at - start < most &&
           std::isdigit(static_cast<unsigned char>(text[at]))) {
        value = value * 10 + (text[at++] - '0');
    }
    return at > start;
}

bool Expect(const std::string& text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

// "2026-12-08" (a time after a 'T' or a blank is ignored), "08.12.2026", "12/8/2026".
std::optional<DateTime> ReadDate(const std::string& value) {
    const std::string text = TrimBlanks(value);
    std::size_t at = 0;
    int a = 0, b = 0, c = 0;
    int year = 0, month = 0, day = 0;
    if (!ReadNumber(text, at, a, 4)) return std::nullopt;
    if (at == 4 && Expect(text, at, '-')) {
        if (!ReadNumber(text, at, b, 2) || !Expect(text, at, '-') || !ReadNumber(text, at, c, 2)) {
            return std::nullopt;
        }
        year = a, month = b, day = c;
    } else if (Expect(text, at, '.')) {
        if (!ReadNumber(text, at, b, 2) || !Expect(text, at, '.') || !ReadNumber(text, at, c, 4)) {
            return std::nullopt;
        }
        day = a, month = b, year = c;
    } else if (Expect(text, at, '/')) {
        if (!ReadNumber(text, at, b, 2) || !Expect(text, at, '/') || !ReadNumber(text, at, c, 4)) {
            return std::nullopt;
        }
        month = a, day = b, year = c;
    } else {
        return std::nullopt;
    }
    if (at < text.size() && text[at] != 'T' && text[at] != ' ') return std::nullopt;
    DateTime date = 0;
    if (year < 1 || year > 9999 || !TryEncodeDate(year, month, day, date)) return std::nullopt;
    return date;
}

// "19:40", "19:40:00", "7:40:00 PM".
std::optional<DateTime> ReadTime(const std::string& value) {
    const std::string text = LowerAscii(TrimBlanks(value));
    std::size_t at = 0;
    int hour = 0, minute = 0, second = 0;
    if (!ReadNumber(text, at, hour, 2) || !Expect(text, at, ':') ||
        !ReadNumber(text, at, minute, 2)) {
        return std::nullopt;
    }
    if (Expect(text, at, ':') && !ReadNumber(text, at, second, 2)) return std::nullopt;
    const std::string rest = TrimBlanks(text.substr(at));
    if (rest == "am" || rest == "pm") {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (rest == "pm" ? 12 : 0);
    } else if (!rest.empty()) {
        return std::nullopt;
    }
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    return EncodeTime(hour, minute);
}

// "1", "true", "yes", "да" (any case) are set; anything else is not.
bool ReadFlag(const std::string& value) {
    const std::string text = LowerAscii(TrimBlanks(value));
    return text == "1" || text == "true" || text == "yes" || text == "\xd0\xb4\xd0\xb0" ||
           text == "\xd0\x94\xd0\xb0";
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// The columns of a header: each field of the record by the first of its names the header
// holds; every other column by its own name.
class Columns {
public:
    explicit Columns(const std::vector<std::string>& header) {
        for (std::size_t i = 0; i < header.size(); ++i)
            names_.push_back(LowerAscii(TrimBlanks(header[i])));
    }
    // Every column a field may come from, in the order of names (not of the header).
    std::vector<std::size_t> Find(std::initializer_list<const char*> names) {
        std::vector<std::size_t> found;
        for (const char* name : names) {
            for (std::size_t i = 0; i < names_.size(); ++i) {
                if (names_[i] == name && std::find(found.begin(), found.end(), i) == found.end()) {
                    found.push_back(i);
                    used_.push_back(i);
                }
            }
        }
        return found;
    }
    void Ignore(std::initializer_list<const char*> names) { Find(names); }
    bool Used(std::size_t column) const {
        return std::find(used_.begin(), used_.end(), column) != used_.end();
    }
    bool AnyUsed() const { return !used_.empty(); }
    std::size_t Count() const { return names_.size(); }

private:
    std::vector<std::string> names_;
    std::vector<std::size_t> used_;
};

// Control characters other than line breaks are dropped here, before any trimming, so that a
// cell of blanks around a control is as empty on reading as it is when written back.
std::string Cell(const CsvRow& row, std::size_t column) {
    if (column >= row.Fields.size()) return {};
    std::string text = row.Fields[column];
    std::erase_if(text, [](char c) { return IsControl(c) && c != '\n' && c != '\r'; });
    return text;
}

// The first filled cell of the columns, its lines (a postal address on three) joined by
// ", " for a field of one line.
std::string First(const CsvRow& row, const std::vector<std::size_t>& columns) {
    for (std::size_t column : columns) {
        std::string value = TrimBlanks(Cell(row, column));
        if (value.empty()) continue;
        std::string joined;
        for (const std::string& line : SplitLines(value)) {
            const std::string part = TrimBlanks(line);
            if (part.empty()) continue;
            if (!joined.empty()) joined += ", ";
            joined += part;
        }
        return joined;
    }
    return {};
}

// "Column: value" for each filled column no field took; Google's and Outlook's bookkeeping
// columns are left out by the caller marking them used.
void AddOtherColumns(const CsvRow& row, const std::vector<std::string>& header,
                     const Columns& columns, std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string value = First(row, {i});
        if (columns.Used(i) || value.empty()) continue;
        lines.push_back(TrimBlanks(header[i]) + ": " + value);
    }
}

template <class Record>
void NoteUnclosedQuote(const CsvText& csv, ImportResult<Record>& result) {
    if (csv.UnclosedQuote != 0) {
        result.Warnings.push_back(Coded(
            {csv.UnclosedQuote, "a quote never closed; its field runs to the end of the file", 0},
            ImportReason::UnclosedQuote));
    }
}

StrList Stored(const std::vector<std::string>& lines, std::size_t& replaced) {
    StrList stored;
    for (const std::string& line : lines) stored.push_back(ToStored(line, replaced));
    return stored;
}

}  // namespace

void DescribeEvent(const Event& event, Row& row) {
    row.Text("Name", event.Name)
        .Lines("Memo", event.Memo)
        .Day("Date", event.Date)
        .TimeOfDay("Time", event.Time)
        .Integer("Reserved", event.Reserved)
        .Integer("Remind", event.Remind)
        .Integer("Done", event.Done);
}

void DescribeContact(const Contact& r, Row& row) {
    row.Text("Famile", r.Surname)
        .Text("FistName", r.FirstName)
        .Text("LastName", r.Patronymic)
        .Day("Date", r.Date)
        .Text("Address", r.Address)
        .Text("Tel1", r.Tel1)
        .Text("Tel2", r.Tel2)
        .Text("Email", r.Email)
        .Text("URL", r.URL)
        .Lines("Note", r.Note)
        .Integer("Category", r.Category);
}

std::string WriteEventsCsv(const EventList& events) {
    return TableCsv(TableOf(events, DescribeEvent, Event()));
}

std::string WriteContactsCsv(const AddressList& contacts) {
    return TableCsv(TableOf(contacts, DescribeContact,
                            Contact("", "", "", 0, "", "", "", "", "", {}, kNoCategory)));
}

ImportResult<Event> ReadEventsCsv(const std::string& bytes) {
    const CsvText csv = ReadCsv(CsvTextOf(bytes));
    ImportResult<Event> result;
    if (csv.Rows.empty()) return result;  // an empty file holds no events
    const std::vector<std::string>& header = csv.Rows.front().Fields;
    Columns columns(header);
    const auto name = columns.Find({"name", "subject", "title", "summary"});
    const auto memo = columns.Find({"memo", "description", "notes"});
    const auto date = columns.Find({"date", "start date"});
    const auto time = columns.Find({"time", "start time"});
    const auto reserved = columns.Find({"reserved"});
    const auto remind = columns.Find({"remind", "reminder on/off"});
    const auto done = columns.Find({"done", "completed"});
    const auto allDay = columns.Find({"all day event", "all day"});
    if (date.empty()) {
        throw FormatError("no date column (\"Date\" or \"Start Date\") in the header line");
    }
    // What Outlook and Google write of an event that the planner has no field for.
    columns.Ignore({"end date", "end time", "reminder date", "reminder time", "private",
                    "sensitivity", "show time as", "meeting organizer", "billing information",
                    "mileage", "priority"});
    for (std::size_t r = 1; r < csv.Rows.size(); ++r) {
        const CsvRow& row = csv.Rows[r];
        const std::string dayText = First(row, date);
        const auto day = ReadDate(dayText);
        if (!day) {
            result.Skipped.push_back(
                dayText.empty() ? Coded({row.Line, "an event without a date"}, ImportReason::NoDate)
                                : Coded({row.Line, "an unreadable date '" + Quoted(dayText) + "'"},
                                        ImportReason::UnreadableDate, Quoted(dayText)));
            continue;
        }
        DateTime at = 0;
        const std::string timeText = First(row, time);
        if (!timeText.empty() && !ReadFlag(First(row, allDay))) {
            const auto read = ReadTime(timeText);
            if (!read) {
                result.Simplified.push_back(Coded(
                    {row.Line, "an unreadable time '" + Quoted(timeText) + "' taken as 00:00"},
                    ImportReason::UnreadableTime, Quoted(timeText)));
            }
            at = read.value_or(0);
        }
        std::vector<std::string> lines;
        // Every line of a filled memo, empty ones too: the memo comes back as it was written.
        for (std::size_t column : memo) {
            if (Cell(row, column).empty()) continue;
            for (const std::string& line : SplitLines(Cell(row, column))) lines.push_back(line);
        }
        AddOtherColumns(row, header, columns, lines);
        std::size_t replaced = 0;
        std::string title = ToStored(First(row, name), replaced);
        StrList stored = Stored(lines, replaced);
        std::int32_t keep = 1;
        const std::string reservedText = First(row, reserved);
        if (!reservedText.empty()) {
            keep = static_cast<std::int32_t>(std::strtol(reservedText.c_str(), nullptr, 10));
        }
        result.Replaced += replaced;
        result.Records.emplace_back(std::move(title), stored, *day, at, keep,
                                    ReadFlag(First(row, remind)) ? 1 : 0,
                                    ReadFlag(First(row, done)) ? 1 : 0);
        result.Uids.emplace_back();
    }
    NoteUnclosedQuote(csv, result);
    return result;
}

ImportResult<Contact> ReadContactsCsv(const std::string& bytes) {
    const CsvText csv = ReadCsv(CsvTextOf(bytes));
    ImportResult<Contact> result;
    if (csv.Rows.empty()) return result;
    const std::vector<std::string>& header = csv.Rows.front().Fields;
    Columns columns(header);
    const auto surname = columns.Find({"famile", "last name", "family name", "surname"});
    const auto first = columns.Find({"fistname", "first name", "given name"});
    const auto middle = columns.Find({"lastname", "middle name", "additional name"});
    const auto date = columns.Find({"date", "birthday"});
    const auto address = columns.Find({"address", "address 1 - formatted", "home address",
                                       "home street", "business address", "business street"});
    const auto phones =
        columns.Find({"tel1", "tel2", "phone 1 - value", "phone 2 - value", "phone 3 - value",
                      "mobile phone", "primary phone", "home phone", "business phone",
                      "home phone 2", "business phone 2", "other phone"});
    const auto email =
        columns.Find({"email", "e-mail address", "e-mail 1 - value", "email address", "e-mail"});
    const auto url = columns.Find({"url", "web page", "website 1 - value", "website"});
    const auto note = columns.Find({"note", "notes"});
    const auto category = columns.Find({"category"});
    if (!columns.AnyUsed()) {
        throw FormatError(
            "no column of a contact (such as \"Famile\", \"Last Name\" or "
            "\"E-mail Address\") in the header line");
    }
    // Google's and Outlook's bookkeeping: types of the values above, groups, the whole name.
    columns.Ignore({"name", "display name", "group membership", "labels", "file as",
                    "phone 1 - type", "phone 2 - type", "phone 3 - type", "e-mail 1 - type",
                    "address 1 - type", "website 1 - type", "e-mail display name", "e-mail type",
                    "priority", "sensitivity", "private", "gender"});
    for (std::size_t r = 1; r < csv.Rows.size(); ++r) {
        const CsvRow& row = csv.Rows[r];
        std::vector<std::string> filledPhones;
        std::vector<std::string> lines;
        for (std::size_t column : phones) {
            const std::string value = First(row, {column});
            if (value.empty()) continue;
            if (filledPhones.size() < 2)
                filledPhones.push_back(value);
            else
                lines.push_back(TrimBlanks(header[column]) + ": " + value);
        }
        filledPhones.resize(2);
        DateTime born = 0;
        const std::string dateText = First(row, date);
        if (!dateText.empty()) {
            if (const auto read = ReadDate(dateText)) {
                born = *read;
            } else {
                lines.push_back(TrimBlanks(header[date.front()]) + ": " + dateText);
                result.Simplified.push_back(
                    Coded({row.Line,
                           "an unreadable birth date '" + Quoted(dateText) + "' kept in the note"},
                          ImportReason::UnreadableBirthDate, Quoted(dateText)));
            }
        }
        std::vector<std::string> noteLines;
        for (std::size_t column : note) {
            if (Cell(row, column).empty()) continue;
            for (const std::string& line : SplitLines(Cell(row, column))) noteLines.push_back(line);
        }
        noteLines.insert(noteLines.end(), lines.begin(), lines.end());
        AddOtherColumns(row, header, columns, noteLines);
        std::uint8_t kind = kNoCategory;
        const std::string categoryText = First(row, category);
        if (categoryText == "0") kind = kPersonalCategory;
        if (categoryText == "1") kind = kBusinessCategory;
        std::size_t replaced = 0;
        Contact record(ToStored(First(row, surname), replaced),
                       ToStored(First(row, first), replaced),
                       ToStored(First(row, middle), replaced), born,
                       ToStored(First(row, address), replaced), ToStored(filledPhones[0], replaced),
                       ToStored(filledPhones[1], replaced), ToStored(First(row, email), replaced),
                       ToStored(First(row, url), replaced), Stored(noteLines, replaced), kind);
        if (record.Surname.empty() && record.FirstName.empty() && record.Patronymic.empty() &&
            record.Address.empty() && record.Tel1.empty() && record.Email.empty() &&
            record.URL.empty() && record.Note.empty() && born == 0) {
            result.Skipped.push_back(Coded({row.Line, "a line without a name or any other field"},
                                           ImportReason::EmptyContact));
            continue;
        }
        result.Replaced += replaced;
        result.Records.push_back(std::move(record));
        result.Uids.emplace_back();
    }
    NoteUnclosedQuote(csv, result);
    return result;
}

}  // namespace pomix::dataio
