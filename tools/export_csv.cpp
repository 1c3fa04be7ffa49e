// `pomix-data export csv KIND FILE OUT`: the records of a data file as comma-separated values,
// one header row of the field names, then one row per record. Text is UTF-8, line lists are
// one field with a line break between lines, dates ISO 8601.
#include "addressbook/address.h"
#include "catalog/catalog.h"
#include "dataio/civil_time.h"
#include "dataio/csv.h"
#include "debts/credit.h"
#include "dump.h"
#include "exchange.h"
#include "notes/note.h"
#include "planner/calendar_format.h"
#include "settings/settings_record.h"
#include "storage/cp1251.h"

namespace pomix::tool {
namespace {

using dataio::CsvRecord;
using dataio::IsoDate;
using dataio::IsoDateTime;
using dataio::IsoTime;

std::string Utf8(const std::string& cp1251) {
    return Cp1251ToUtf8(cp1251);
}

template <class Lines>
std::string Joined(const Lines& lines) {
    std::string out;
    bool first = true;
    for (const std::string& line : lines) {
        if (!first) out += '\n';
        out += Utf8(line);
        first = false;
    }
    return out;
}

std::string Number(long long value) {
    return std::to_string(value);
}

// The day of an event's Date: only its whole-day part counts.
std::string EventDay(DateTime date) {
    DateTime day;
    return WholeDay(date, day) ? IsoDate(day) : std::string();
}

std::string CalendarCsv(const std::string& path) {
    EventList events;
    ReadDataFile(path, kCalendarStream, [&](Stream& s) { ReadCalendar(s, events); });
    std::string out = CsvRecord({"Name", "Memo", "Date", "Time", "Reserved", "Remind", "Done"});
    for (const Tevent& e : events) {
        out += CsvRecord({Utf8(e.Name), Joined(e.Memo), EventDay(e.Date), IsoTime(e.Time),
                          Number(e.Reserved), Number(e.Remind), Number(e.Done)});
    }
    return out;
}

std::string AddressCsv(const std::string& path) {
    AddressList list;
    ReadDataFile(path, kAddressStreamName, [&](Stream& s) { ReadAddressList(s, list); });
    std::string out = CsvRecord({"Famile", "FistName", "LastName", "Date", "Address", "Tel1",
                                 "Tel2", "Email", "URL", "Note", "Category"});
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TAddress& r = list[i];
        out += CsvRecord({Utf8(r.Famile), Utf8(r.FistName), Utf8(r.LastName), IsoDate(r.Date),
                          Utf8(r.Address), Utf8(r.Tel1), Utf8(r.Tel2), Utf8(r.Email), Utf8(r.URL),
                          Joined(r.Note), Number(r.Category)});
    }
    return out;
}

std::string NotesCsv(const std::string& path) {
    NoteList notes;
    ReadDataFile(path, kNoteStreamName, [&](Stream& s) { ReadNotes(s, notes); });
    std::string out = CsvRecord({"Date", "Name", "Memo"});
    for (std::size_t i = 0; i < notes.Count(); ++i) {
        out += CsvRecord({IsoDateTime(notes[i].Date), Utf8(notes[i].Name), Joined(notes[i].Memo)});
    }
    return out;
}

std::string CatalogCsv(const std::string& path) {
    CatalogList list;
    ReadDataFile(path, kCatalogStreamName, [&](Stream& s) { ReadCatalogList(s, list); });
    std::string out = CsvRecord({"Category", "Name", "Memo"});
    for (std::size_t i = 0; i < list.Count(); ++i) {
        out += CsvRecord({Number(list[i].Category), Utf8(list[i].Name), Joined(list[i].Memo)});
    }
    return out;
}

std::string CreditCsv(const std::string& path) {
    CreditList list;
    ReadDataFile(path, kCreditStreamName, [&](Stream& s) { ReadCreditList(s, list); });
    std::string out = CsvRecord({"Kind", "FistName", "Name", "CreateDate", "ReturnDate"});
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TCreditNote& d = list[i];
        out += CsvRecord({Number(d.Kind), Utf8(d.FistName), Utf8(d.Name), IsoDateTime(d.CreateDate),
                          IsoDate(d.ReturnDate)});
    }
    return out;
}

std::string SettingsCsv(const std::string& path) {
    TSettingsRecord r;
    ReadDataFile(path, kSettingsStreamName, [&](Stream& s) { r = ReadSettings(s); });
    const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    std::string out = CsvRecord(
        {"ShowHints", "CheckPassword", "ReservedText", "Password", "EditColor", "WindowColor",
         "AccentColor", "EditTextColor", "LabelTextColor", "ButtonTextColor", "CategoryNames",
         "OverdueMark", "ConfirmDelete", "BirthdayDays", "ShowAge", "EventNames",
         "PlannedDayColor", "DoneEventColor", "HighlightPlannedDays", "ReminderLead", "AlarmSound",
         "LanguageFile"});
    out += CsvRecord({flag(r.ShowHints), flag(r.CheckPassword), Utf8(r.ReservedText),
                      Utf8(r.Password), Number(r.EditColor), Number(r.WindowColor),
                      Number(r.AccentColor), Number(r.EditTextColor), Number(r.LabelTextColor),
                      Number(r.ButtonTextColor), Joined(r.CategoryNames), Utf8(r.OverdueMark),
                      flag(r.ConfirmDelete), Number(r.BirthdayDays), flag(r.ShowAge),
                      Joined(r.EventNames), Number(r.PlannedDayColor), Number(r.DoneEventColor),
                      flag(r.HighlightPlannedDays), Number(r.ReminderLead), Utf8(r.AlarmSound),
                      Utf8(r.LanguageFile)});
    return out;
}

struct CsvKind {
    const char* name;
    std::string (*write)(const std::string& path);
};

// The kinds of `dump`, in its order.
const CsvKind kCsvKinds[] = {
    {"settings", SettingsCsv}, {"notes", NotesCsv},     {"calendar", CalendarCsv},
    {"address", AddressCsv},   {"catalog", CatalogCsv}, {"credit", CreditCsv},
};

}  // namespace

bool CsvOfDataFile(const std::string& kind, const std::string& path, std::string& csv) {
    for (const CsvKind& k : kCsvKinds) {
        if (kind == k.name) {
            csv = k.write(path);
            return true;
        }
    }
    return false;
}

}  // namespace pomix::tool
