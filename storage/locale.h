// The pieces of the user's locale that the core needs. The windows install one built from
// the desktop's locale; tests install a fixed one.
#pragma once

#include <memory>
#include <string>

#include "storage/dates.h"

namespace pomix {

class Locale {
public:
    virtual ~Locale() = default;
    // Texts are code page 1251.
    virtual std::string ShortDate(DateTime value) const = 0;
    virtual std::string LongDate(DateTime value) const = 0;
    // The long form without the day of the week: what a birth date is shown and searched as.
    virtual std::string LongDateNoWeekday(DateTime value) const { return LongDate(value); }
    virtual char DecimalSeparator() const = 0;
};

// A Russian locale with fixed forms: "07.12.2026", "7 декабря 2026 г.", decimal ",".
// The default until another is installed.
class FixedLocale : public Locale {
public:
    explicit FixedLocale(char decimalSeparator = ',') : separator_(decimalSeparator) {}
    std::string ShortDate(DateTime value) const override;
    std::string LongDate(DateTime value) const override;
    char DecimalSeparator() const override { return separator_; }

private:
    char separator_;
};

const Locale& CurrentLocale();
// Installs a locale for the program (null restores the fixed default).
void SetLocale(std::unique_ptr<Locale> locale);

}  // namespace pomix
