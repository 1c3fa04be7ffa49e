#include "kit/convert.h"

#include "storage/cp1251.h"

namespace pomix {

QString ToQt(const std::string& cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

std::string FromQt(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

bool FitsCp1251(const QString& text) { return ToQt(FromQt(text)) == text; }

QStringList ToQt(const StrList& cp1251) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(cp1251.size()));
    for (const std::string& line : cp1251) lines << ToQt(line);
    return lines;
}

StrList FromQt(const QStringList& lines) {
    StrList out;
    out.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines) out.push_back(FromQt(line));
    return out;
}

QDate ToQDate(DateTime value) {
    DateParts parts;
    if (!TryDecodeDate(value, parts)) return {};
    return QDate(parts.year, parts.month, parts.day);
}

DateTime FromQDate(const QDate& date) {
    DateTime value = 0;
    if (!date.isValid() || !TryEncodeDate(date.year(), date.month(), date.day(), value)) return 0;
    return value;
}

QColor ToQColor(TColor colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

TColor FromQColor(const QColor& colour) {
    return static_cast<TColor>(colour.red()) | (static_cast<TColor>(colour.green()) << 8) |
           (static_cast<TColor>(colour.blue()) << 16);
}

}  // namespace pomix
