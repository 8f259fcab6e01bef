#include "shell/datetext.h"

#include <QMap>
#include <QTest>

class TestDateText : public QObject
{
    Q_OBJECT

private slots:
    void localeFromEnvironment_data();
    void localeFromEnvironment();
    void longDateRoundTrip_data();
    void longDateRoundTrip();
    void japaneseTexts();
    void monthTitlesNameGregorianMonths_data();
    void monthTitlesNameGregorianMonths();
};

void TestDateText::localeFromEnvironment_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QString>("lcTime");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing set") << "" << "" << "" << "en_US_POSIX";
    QTest::newRow("LANG only") << "" << "" << "ja_JP.UTF-8" << "ja_JP";
    QTest::newRow("LC_TIME over LANG") << "" << "de_DE.UTF-8" << "ja_JP.UTF-8" << "de_DE";
    QTest::newRow("LC_ALL over both") << "th_TH.UTF-8" << "de_DE.UTF-8" << "ja_JP.UTF-8" << "th_TH";
    QTest::newRow("C") << "C" << "" << "ja_JP.UTF-8" << "en_US_POSIX";
    QTest::newRow("garbage") << "" << "" << "!!garbage//" << "en_US_POSIX";
    QTest::newRow("ICU calendar keyword") << "" << "" << "ja_JP.UTF-8@calendar=japanese"
                                          << "ja_JP@calendar=japanese";
    QTest::newRow("POSIX modifier dropped") << "" << "" << "de_DE@euro" << "de_DE";
}

void TestDateText::localeFromEnvironment()
{
    QFETCH(QString, lcAll);
    QFETCH(QString, lcTime);
    QFETCH(QString, lang);
    QFETCH(QString, expected);
    const QMap<QString, QString> env{{"LC_ALL", lcAll}, {"LC_TIME", lcTime}, {"LANG", lang}};
    QCOMPARE(userLocaleId([&](const char *name) { return env.value(QString::fromLatin1(name)); }), expected);
}

void TestDateText::longDateRoundTrip_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");

    const QList<QDate> dates{QDate(2026, 12, 6), QDate(1753, 1, 1), QDate(9999, 12, 31), QDate(2024, 2, 29)};
    for (const char *locale : {"ja_JP", "ja_JP@calendar=japanese", "en_US", "de_DE", "th_TH", "ar_SA",
                               "he_IL", "zh_CN", "ko_KR", "en_US_POSIX"}) {
        for (QDate date : dates)
            QTest::addRow("%s %s", locale, qPrintable(date.toString(Qt::ISODate))) << locale << date;
    }
}

void TestDateText::longDateRoundTrip()
{
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    const DateTexts texts(locale);
    const QString text = texts.longDate(date);
    QVERIFY(!text.isEmpty());
    const std::optional<QDate> back = texts.parseLongDate(text);
    // Every locale here writes year, month and day, so nothing is lost.
    QVERIFY2(back.has_value(), qPrintable(text));
    QCOMPARE(*back, date);
}

void TestDateText::japaneseTexts()
{
    const DateTexts ja(QStringLiteral("ja_JP"));
    QCOMPARE(ja.longDate(QDate(2003, 4, 30)), QStringLiteral("2003年4月30日"));
    QCOMPARE(ja.monthTitle(2026, 12), QStringLiteral("2026年12月"));
    QCOMPARE(ja.weekdayHeader(7), QStringLiteral("日"));
    QCOMPARE(ja.weekdayHeader(6), QStringLiteral("土"));
    QVERIFY(!ja.parseLongDate(QStringLiteral("2003年4月30日 garbage")));
    QVERIFY(!ja.parseLongDate(QString()));
}

void TestDateText::monthTitlesNameGregorianMonths_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");

    // The grid below a title is Gregorian; only the year may be counted
    // another way.
    QTest::newRow("Japanese era") << "ja_JP@calendar=japanese" << QStringLiteral("令和8年12月");
    QTest::newRow("Buddhist era") << "th_TH" << QStringLiteral("ธันวาคม 2569");
    QTest::newRow("Islamic by default") << "ar_SA" << QStringLiteral("ديسمبر ٢٠٢٦");
    QTest::newRow("Hebrew calendar") << "he_IL@calendar=hebrew" << QStringLiteral("דצמבר 2026");
}

void TestDateText::monthTitlesNameGregorianMonths()
{
    QFETCH(QString, locale);
    QFETCH(QString, title);
    QCOMPARE(DateTexts(locale).monthTitle(2026, 12).remove(QChar(0x200F)), title);
}

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_datetext.moc"
