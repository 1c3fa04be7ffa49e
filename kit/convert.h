// The edge between the core and Qt: code page 1251 texts, day counts and colours.
#pragma once

#include <QColor>
#include <QDate>
#include <QString>
#include <QStringList>
#include <string>

#include "core/settings/settings_record.h"
#include "storage/dates.h"
#include "storage/field_codec.h"

namespace pomix {

QString ToQt(const std::string& cp1251);
std::string FromQt(const QString& text);
QStringList ToQt(const StrList& cp1251);
// True when every character of text has a place in code page 1251 (FromQt then gives it back
// exactly rather than with "?" in its place).
bool FitsCp1251(const QString& text);
StrList FromQt(const QStringList& lines);

// The whole days of a day count; an invalid QDate for a value outside the years 1..9999.
QDate ToQDate(DateTime value);
// 0 for an invalid date.
DateTime FromQDate(const QDate& date);

// Colours are 0x00BBGGRR.
QColor ToQColor(TColor colour);
TColor FromQColor(const QColor& colour);

}  // namespace pomix
