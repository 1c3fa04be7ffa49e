#include "kit/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "core/settings/form_storage.h"
#include "core/settings/settings_record.h"
#include "kit/desktop.h"

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

// Texts Qt's own translation leaves wrong where the user sees them: the Russian one keeps the
// Latin "OK" on the buttons of message boxes and the colour dialog. Installed after Qt's, so
// asked first; any other text falls through to Qt's.
class QtTextMends : public QTranslator {
public:
    explicit QtTextMends(QString language) : language_(std::move(language)) {}

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* source, const char*, int) const override {
        struct Mend {
            const char* language;
            const char* context;
            const char* source;
            const char* text;
        };
        static constexpr Mend kMends[] = {
            {"ru", "QPlatformTheme", "OK", "ОК"},  // Cyrillic letters
            {"ru", "QPlatformTheme", "&OK", "&ОК"},
            {"ru", "QDialogButtonBox", "OK", "ОК"},
        };
        for (const Mend& mend : kMends) {
            if (language_ == QLatin1String(mend.language) && qstrcmp(context, mend.context) == 0 &&
                qstrcmp(source, mend.source) == 0) {
                return QString::fromUtf8(mend.text);
            }
        }
        return {};
    }

private:
    QString language_;
};

std::unique_ptr<QTranslator>& QtMends() {
    static std::unique_ptr<QTranslator> mends;
    return mends;
}

// Qt's texts (file and colour dialogs, message box buttons) in the language, from the
// translations the system installs beside Qt (Debian: qt6-translations-l10n), mended above.
// English needs none; a language without them leaves Qt's English.
void LoadQtTranslations(const QLocale& locale) {
    for (auto* installed : {&QtMends(), &QtTranslator()}) {
        if (*installed) {
            QCoreApplication::removeTranslator(installed->get());
            installed->reset();
        }
    }
    if (locale.language() == QLocale::English || !QCoreApplication::instance()) return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get())) {
        QtTranslator() = std::move(translator);
    }
    auto mends = std::make_unique<QtTextMends>(locale.name().section(QLatin1Char('_'), 0, 0));
    if (QCoreApplication::installTranslator(mends.get())) QtMends() = std::move(mends);
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
