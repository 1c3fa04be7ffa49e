#include "dump_kinds.h"
#include "json.h"
#include "settings/settings_record.h"

namespace pomix::tool {

void DumpSettings(const std::string& path, std::ostream& out) {
    TSettingsRecord r;
    ReadDataFile(path, kSettingsStreamName, [&](Stream& s) { r = ReadSettings(s); });
    const std::vector<std::string> categories(r.CategoryNames.begin(), r.CategoryNames.end());
    out << JsonObject()
               .Flag("ShowHints", r.ShowHints)
               .Flag("CheckPassword", r.CheckPassword)
               .Text("ReservedText", r.ReservedText)
               .Text("Password", r.Password)
               .Integer("EditColor", r.EditColor)
               .Integer("WindowColor", r.WindowColor)
               .Integer("AccentColor", r.AccentColor)
               .Integer("EditTextColor", r.EditTextColor)
               .Integer("LabelTextColor", r.LabelTextColor)
               .Integer("ButtonTextColor", r.ButtonTextColor)
               .Lines("CategoryNames", categories)
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
               .Text("LanguageFile", r.LanguageFile)
               .Str()
        << "\n";
}

}  // namespace pomix::tool
