#include "ui/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "settings/form_storage.h"
#include "settings/settings_record.h"
#include "ui/desktop.h"

namespace pomix {

namespace {

QLocale& Current() {
    static QLocale locale(QLocale::Russian, QLocale::Russia);
    return locale;
}

std::unique_ptr<QTranslator>& QtTranslator() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// Qt's texts (file and colour dialogs, message box buttons) in the language, from the
// translations the system installs beside Qt (Debian: qt6-translations-l10n). English needs
// none; a language without them leaves Qt's English.
void LoadQtTranslations(const QLocale& locale) {
    if (QtTranslator()) {
        QCoreApplication::removeTranslator(QtTranslator().get());
        QtTranslator().reset();
    }
    if (locale.language() == QLocale::English || !QCoreApplication::instance()) return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get())) {
        QtTranslator() = std::move(translator);
    }
}

QString FirstUpper(QString text) {
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

}  // namespace

const QLocale& InterfaceLocale() { return Current(); }

void SetInterfaceLanguage(const std::string& code) {
    QLocale locale(QString::fromStdString(code));
    // A code Qt does not know gives the C locale: the built-in language then.
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::Russian, QLocale::Russia);
    Current() = locale;
    QLocale::setDefault(locale);
    SetLocale(MakeDesktopLocale(locale));
    LoadQtTranslations(locale);
}

void ApplyDictionaryLanguage() { SetInterfaceLanguage(DictionaryLanguageCode(SettingsRecord.LanguageFile)); }

QString MonthHeading(int month) { return FirstUpper(Current().standaloneMonthName(month, QLocale::LongFormat)); }

QString WeekdayHeading(int weekday) { return FirstUpper(Current().dayName(weekday, QLocale::ShortFormat)); }

}  // namespace pomix
