// The long date form of birth dates: the desktop locale's long form without its weekday.
#include <QDate>
#include <QLocale>
#include <QTest>

#include "kit/desktop.h"

using namespace pomix;

class DesktopLocaleTest : public QObject {
    Q_OBJECT
private slots:
    void weekdayFieldAndItsSeparatorGo();
    void realLocalesNameNoWeekday();
    void shortFormsWriteTheYearWhole();
};

void DesktopLocaleTest::weekdayFieldAndItsSeparatorGo() {
    const std::pair<const char*, const char*> cases[] = {
        {"dddd, d MMMM yyyy 'г'.", "d MMMM yyyy 'г'."},
        {"dddd, MMMM d, yyyy", "MMMM d, yyyy"},
        {"dddd d MMMM yyyy", "d MMMM yyyy"},
        {"dddd, d. MMMM yyyy", "d. MMMM yyyy"},
        {"d MMMM yyyy, dddd", "d MMMM yyyy"},
        {"ddd, d MMM yyyy", "d MMM yyyy"},
        {"d MMMM yyyy", "d MMMM yyyy"},
        {"dd.MM.yyyy", "dd.MM.yyyy"},
    };
    for (const auto& [format, expected] : cases) {
        QCOMPARE(DateFormatWithoutWeekday(QString::fromUtf8(format)), QString::fromUtf8(expected));
    }
}

void DesktopLocaleTest::realLocalesNameNoWeekday() {
    const QDate monday(2026, 12, 7);
    for (const char* name : {"ru_RU", "en_US", "de_DE", "fr_FR", "uk_UA"}) {
        const QLocale locale(QString::fromLatin1(name));
        const QString text = locale.toString(
            monday, DateFormatWithoutWeekday(locale.dateFormat(QLocale::LongFormat)));
        QVERIFY2(!text.contains(locale.dayName(1, QLocale::LongFormat), Qt::CaseInsensitive),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("2026")) && text.contains(QStringLiteral("7")),
                 qPrintable(text));
    }
    const QLocale russian(QStringLiteral("ru_RU"));
    QCOMPARE(russian.toString(monday, DateFormatWithoutWeekday(russian.dateFormat(QLocale::LongFormat))),
             QString::fromUtf8("7 декабря 2026 г."));
}

void DesktopLocaleTest::shortFormsWriteTheYearWhole() {
    const std::pair<const char*, const char*> cases[] = {
        {"M/d/yy", "M/d/yyyy"}, {"dd.MM.yyyy", "dd.MM.yyyy"}, {"yy-MM-dd", "yyyy-MM-dd"}, {"d/M/yyyy", "d/M/yyyy"}};
    for (const auto& [format, expected] : cases) {
        QCOMPARE(ShortDateFormatWithFullYear(QString::fromUtf8(format)), QString::fromUtf8(expected));
    }
}

QTEST_APPLESS_MAIN(DesktopLocaleTest)
#include "desktop_locale_test.moc"
