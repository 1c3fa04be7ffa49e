// The interface language: the language of the bound dictionary (Russian without one). It alone
// decides how the windows write dates, month and weekday names, times and numbers, and what
// language Qt's own dialogs and buttons speak; the system's locale takes no part, so a Russian
// interface reads the same on an English desktop and the reverse.
#pragma once

#include <QLocale>
#include <string>

namespace pomix {

// The interface language's locale; Russian until another language is set.
const QLocale& InterfaceLocale();

// Sets the interface language by its ISO 639 code ("ru", "en"): the locale above (also Qt's
// default locale), the core's date and number forms, and Qt's translations of its own texts
// where the system has them.
void SetInterfaceLanguage(const std::string& code);

// Sets the language of the dictionary SettingsRecord.LanguageFile names (see
// DictionaryLanguageCode): what the main window does once the settings are read, before any
// window is built.
void ApplyDictionaryLanguage();

// A month's name standing alone, as a heading writes it ("Декабрь", "December").
QString MonthHeading(int month);
// The short name of a day of the week, 1 Monday to 7 Sunday ("Пн", "Mon").
QString WeekdayHeading(int weekday);

}  // namespace pomix
