#include "storage/locale.h"

#include <cstdio>

#include "storage/cp1251.h"

namespace pomix {
namespace {

std::unique_ptr<Locale>& Installed() {
    static std::unique_ptr<Locale> locale = std::make_unique<FixedLocale>();
    return locale;
}

// Month names in the genitive, as a Russian long date writes them.
const char* const kMonthsGenitive[12] = {
    "января", "февраля", "марта",    "апреля",  "мая",    "июня",
    "июля",   "августа", "сентября", "октября", "ноября", "декабря",
};

}  // namespace

std::string FixedLocale::ShortDate(DateTime value) const {
    DateParts p;
    if (!TryDecodeDate(value, p)) return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", p.day, p.month, p.year);
    return buf;
}

std::string FixedLocale::LongDate(DateTime value) const {
    DateParts p;
    if (!TryDecodeDate(value, p)) return {};
    return std::to_string(p.day) + " " + Utf8ToCp1251(kMonthsGenitive[p.month - 1]) + " " +
           std::to_string(p.year) + " " + Utf8ToCp1251("г.");
}

const Locale& CurrentLocale() {
    return *Installed();
}

void SetLocale(std::unique_ptr<Locale> locale) {
    Installed() = locale ? std::move(locale) : std::make_unique<FixedLocale>();
}

}  // namespace pomix
