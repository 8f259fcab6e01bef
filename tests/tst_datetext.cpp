#include "datatable.h"
#include "shell/datetext.h"

#include <unicode/datefmt.h>
#include <unicode/timezone.h>

#include <memory>

class TestDateText : public QObject
{
    Q_OBJECT

private slots:
    void localeFromEnvironment_data()
    {
        dataRows<QString, QString, QString, QString>("locale_environment.txt",
                                                     {"LC_ALL", "LC_TIME", "LANG", "expected"});
    }
    void localeFromEnvironment()
    {
        QCOMPARE(userLocaleId([](const char *name) { return field<QString>(name); }), field<QString>("expected"));
    }

    void longDateAsIcuWritesIt_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("date");
        for (const char *locale : {"ja_JP", "ja_JP@calendar=japanese", "en_US", "de_DE", "th_TH", "ar_SA", "he_IL",
                                   "zh_CN", "zh_TW", "ko_KR", "en_US_POSIX"}) {
            for (QDate date : {QDate(2026, 12, 6), QDate(1753, 1, 1), QDate(9999, 12, 31), QDate(2024, 2, 29)})
                QTest::addRow("%s %s", locale, qPrintable(date.toString(Qt::ISODate))) << locale << date;
        }
    }

    void longDateAsIcuWritesIt()
    {
        QFETCH(QString, locale);
        QFETCH(QDate, date);
        const DateTexts texts(locale);
        const QString text = texts.longDate(date);
        // Word for word what ICU's own long-date formatter writes, where the
        // today window writes numeric patterns itself.
        std::unique_ptr<icu::DateFormat> icuFormat(
            icu::DateFormat::createDateInstance(icu::DateFormat::kLong, icu::Locale(locale.toLatin1().constData())));
        icuFormat->adoptTimeZone(icu::TimeZone::getGMT()->clone());
        icu::UnicodeString icuText;
        icuFormat->format(double(date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * 86400000.0, icuText);
        QCOMPARE(text, QString(reinterpret_cast<const QChar *>(icuText.getBuffer()), icuText.length()));
    }

    void texts_data()
    {
        dataRows<QString, QByteArray, QByteArray, QString>("datetext.txt", {"locale", "what", "of", "expected"});
    }
    void texts()
    {
        const QByteArray what = field<QByteArray>("what"), of = field<QByteArray>("of");
        const DateTexts texts(field<QString>("locale"));
        const QDate date = QDate::fromString(QString::fromUtf8(of.size() == 7 ? of + "-01" : of), Qt::ISODate);
        const QString text = what == "long"    ? texts.longDate(date)
                             : what == "title" ? texts.monthTitle(date.year(), date.month())
                                               : texts.weekdayHeader(of.toInt());
        QCOMPARE(text.isEmpty() ? QStringLiteral("-") : QString(text).remove(QChar(0x200F)),
                 field<QString>("expected"));
    }
};

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_datetext.moc"
