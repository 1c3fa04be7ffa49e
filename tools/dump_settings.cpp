#include "dump_kinds.h"
#include "core/settings/settings_record.h"

namespace pomix::tool {

namespace {

// The one record of the settings file, as a list of one for the table.
struct OneRecord {
    const TSettingsRecord& record;
    std::size_t Count() const { return 1; }
    const TSettingsRecord& operator[](std::size_t) const { return record; }
};

}  // namespace

dataio::RecordTable SettingsTable(const std::string& path) {
    TSettingsRecord settings;
    ReadDataFile(path, kSettingsStreamName, [&](Stream& s) { settings = ReadSettings(s); });
    dataio::RecordTable table = dataio::TableOf(
        OneRecord{settings},
        [](const TSettingsRecord& r, dataio::Row& row) {
            row.Flag("ShowHints", r.ShowHints)
                .Flag("CheckPassword", r.CheckPassword)
                .Text("ReservedText", r.ReservedText)
                .Text("Password", r.Password)
                .Integer("EditColor", r.EditColor)
                .Integer("WindowColor", r.WindowColor)
                .Integer("AccentColor", r.AccentColor)
                .Integer("EditTextColor", r.EditTextColor)
                .Integer("LabelTextColor", r.LabelTextColor)
                .Integer("ButtonTextColor", r.ButtonTextColor)
                .Lines("CategoryNames", StrList(r.CategoryNames.begin(), r.CategoryNames.end()))
                .Text("OverdueMark", r.OverdueMark)
                .Flag("ConfirmDelete", r.ConfirmDelete)
                .Integer("BirthdayDays", r.BirthdayDays)
                .Flag("ShowAge", r.ShowAge)
                .Lines("EventNames", r.EventNames)
                .Integer("PlannedDayColor", r.PlannedDayColor)
                .Integer("DoneEventColor", r.DoneEventColor)
                .Flag("HighlightPlannedDays", r.HighlightPlannedDays)
                .Integer("ReminderLead", r.ReminderLead)
                .Text("AlarmSound", r.AlarmSound)
                .Text("LanguageFile", r.LanguageFile);
        },
        settings);
    table.Single = true;
    return table;
}

}  // namespace pomix::tool
