#include "kit/desktop.h"

#include <QDesktopServices>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>
#include <unordered_map>
#include <utility>

#include "storage/report.h"
#include "storage/text.h"
#include "kit/convert.h"
#include "kit/interface_language.h"
#include "kit/message.h"

namespace pomix {

namespace {

// "scheme:" with a scheme of two or more letters; a single letter would be a drive.
bool HasScheme(const QString& target) {
    const qsizetype colon = target.indexOf(QLatin1Char(':'));
    if (colon < 2) return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = target[i];
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('.'))) {
            return false;
        }
    }
    return target[0].isLetter();
}

class DesktopLocale : public Locale {
public:
    explicit DesktopLocale(const QLocale& locale) : locale_(locale) {}
    std::string ShortDate(DateTime value) const override { return FromQt(locale_.toString(ToQDate(value), short_)); }
    std::string LongDate(DateTime value) const override {
        return FromQt(locale_.toString(ToQDate(value), QLocale::LongFormat));
    }
    std::string LongDateNoWeekday(DateTime value) const override {
        // A search compares the birth date of every contact: each day is formatted once.
        const QDate day = ToQDate(value);
        const auto [at, added] = noWeekdayTexts_.try_emplace(day.toJulianDay());
        if (added) at->second = FromQt(locale_.toString(day, noWeekday_));
        return at->second;
    }
    char DecimalSeparator() const override {
        const QString point = locale_.decimalPoint();
        return point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode()) : ',';
    }

private:
    QLocale locale_;
    QString short_ = ShortDateFormatWithFullYear(locale_.dateFormat(QLocale::ShortFormat));
    QString noWeekday_ = DateFormatWithoutWeekday(locale_.dateFormat(QLocale::LongFormat));
    mutable std::unordered_map<qint64, std::string> noWeekdayTexts_;
};

DesktopOpener& Opener() {
    static DesktopOpener opener;
    return opener;
}

std::function<void()>& BringForwardHandler() {
    static std::function<void()> handler;
    return handler;
}

}  // namespace

QString DateFormatWithoutWeekday(const QString& format) {
    QString result = format;
    result.remove(QRegularExpression(QStringLiteral("\\bd{3,4}\\b[,.]?\\s*")));
    result = result.trimmed();
    while (result.endsWith(QLatin1Char(','))) result.chop(1);
    return result.trimmed();
}

QString ShortDateFormatWithFullYear(const QString& format) {
    QString result = format;
    result.replace(QRegularExpression(QStringLiteral("(?<!y)yy(?!y)")), QStringLiteral("yyyy"));
    return result;
}

DesktopOpener SetDesktopOpener(DesktopOpener opener) { return std::exchange(Opener(), std::move(opener)); }

void ShellOpen(const std::string& target) {
    if (target.empty()) return;
    const QString text = ToQt(target);
    const QUrl url = HasScheme(text) ? QUrl(text) : QUrl::fromLocalFile(text);
    if (Opener()) Opener()(url);
    else QDesktopServices::openUrl(url);
}

void MailOpen(const std::string& address) { ShellOpen(MailTarget(address)); }

void WebOpen(const std::string& address) { ShellOpen(WebTarget(address)); }

std::unique_ptr<Locale> MakeDesktopLocale(const QLocale& locale) { return std::make_unique<DesktopLocale>(locale); }

void InstallDesktopServices() {
    SetLocale(MakeDesktopLocale(InterfaceLocale()));
    SetReportHook([](const std::string& message) { ShowError(MessageString(message)); });
}

void SetBringForward(std::function<void()> handler) { BringForwardHandler() = std::move(handler); }

void BringProgramForward() {
    if (BringForwardHandler()) BringForwardHandler()();
}

}  // namespace pomix
