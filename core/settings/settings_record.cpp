#include "core/settings/settings_record.h"

namespace pomix {

TSettingsRecord SettingsRecord;

void SetDefaultColours(TSettingsRecord& record) {
    record.EditColor = 0xFFFFFF;
    record.WindowColor = 0xC0C0C0;
    record.AccentColor = 0x808080;
    record.EditTextColor = 0x000000;
    record.LabelTextColor = 0x000000;
    record.ButtonTextColor = 0xFFFFFF;
}

namespace {

void WriteFlag(bool value, Stream& stream) {
    stream.WriteValue<std::uint8_t>(value ? 1 : 0);
}
// Any non-zero byte reads as true, as a one-byte boolean does.
bool ReadFlag(Stream& stream) {
    return stream.ReadValue<std::uint8_t>() != 0;
}

}  // namespace

void WriteSettings(const TSettingsRecord& r, Stream& s) {
    WriteFlag(r.ShowHints, s);
    WriteFlag(r.CheckPassword, s);
    WriteStr(r.ReservedText, s);
    WriteStr(r.Password, s);
    s.WriteValue(r.EditColor);
    s.WriteValue(r.WindowColor);
    s.WriteValue(r.AccentColor);
    s.WriteValue(r.EditTextColor);
    s.WriteValue(r.LabelTextColor);
    s.WriteValue(r.ButtonTextColor);
    for (const std::string& name : r.CategoryNames) WriteStr(name, s);
    WriteStr(r.OverdueMark, s);
    WriteFlag(r.ConfirmDelete, s);
    s.WriteValue(r.BirthdayDays);
    WriteFlag(r.ShowAge, s);
    WriteStrList(r.EventNames, s);
    s.WriteValue(r.PlannedDayColor);
    s.WriteValue(r.DoneEventColor);
    WriteFlag(r.HighlightPlannedDays, s);
    s.WriteValue(r.ReminderLead);
    WriteStr(r.AlarmSound, s);
    WriteStr(r.LanguageFile, s);
}

TSettingsRecord ReadSettings(Stream& s) {
    TSettingsRecord r;
    r.ShowHints = ReadFlag(s);
    r.CheckPassword = ReadFlag(s);
    r.ReservedText = ReadStr(s);
    r.Password = ReadStr(s);
    r.EditColor = s.ReadValue<TColor>();
    r.WindowColor = s.ReadValue<TColor>();
    r.AccentColor = s.ReadValue<TColor>();
    r.EditTextColor = s.ReadValue<TColor>();
    r.LabelTextColor = s.ReadValue<TColor>();
    r.ButtonTextColor = s.ReadValue<TColor>();
    for (std::string& name : r.CategoryNames) name = ReadStr(s);
    r.OverdueMark = ReadStr(s);
    r.ConfirmDelete = ReadFlag(s);
    r.BirthdayDays = s.ReadValue<std::int32_t>();
    r.ShowAge = ReadFlag(s);
    r.EventNames = ReadStrList(s);
    r.PlannedDayColor = s.ReadValue<TColor>();
    r.DoneEventColor = s.ReadValue<TColor>();
    r.HighlightPlannedDays = ReadFlag(s);
    r.ReminderLead = s.ReadValue<std::int32_t>();
    r.AlarmSound = ReadStr(s);
    r.LanguageFile = ReadStr(s);
    return r;
}

}  // namespace pomix
