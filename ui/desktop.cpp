#include "ui/desktop.h"

#include <QDesktopServices>
#include <QLocale>
#include <QUrl>
#include <utility>

#include "storage/report.h"
#include "storage/text.h"
#include "ui/convert.h"
#include "ui/message.h"

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
    std::string ShortDate(DateTime value) const override { return Format(value, QLocale::ShortFormat); }
    std::string LongDate(DateTime value) const override { return Format(value, QLocale::LongFormat); }
    char DecimalSeparator() const override {
        const QString point = locale_.decimalPoint();
        return point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode()) : ',';
    }

private:
    std::string Format(DateTime value, QLocale::FormatType format) const {
        return FromQt(locale_.toString(ToQDate(value), format));
    }
    QLocale locale_ = QLocale::system();
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

std::unique_ptr<Locale> MakeDesktopLocale() { return std::make_unique<DesktopLocale>(); }

void InstallDesktopServices() {
    SetLocale(MakeDesktopLocale());
    SetReportHook([](const std::string& message) { ShowError(message); });
}

void SetBringForward(std::function<void()> handler) { BringForwardHandler() = std::move(handler); }

void BringProgramForward() {
    if (BringForwardHandler()) BringForwardHandler()();
}

}  // namespace pomix
