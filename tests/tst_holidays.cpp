#include "calendar/holidays.h"
#include "datatable.h"

#include <QMap>

class TestHolidays : public QObject
{
    Q_OBJECT

private slots:
    void holidays_data() { dataRows<QByteArray, QString>("holidays.txt", {"days", "holidays"}); }
    // Each day of the row's day or month is the holiday listed for it, or a working day.
    void holidays()
    {
        const QByteArray days = field<QByteArray>("days");
        const bool month = days.size() == 7;
        const QDate first = QDate::fromString(QString::fromLatin1(month ? days + "-01" : days), Qt::ISODate);
        QMap<int, QString> expected;
        for (const QString &entry : field<QString>("holidays").split(u',', Qt::SkipEmptyParts))
            expected.insert(entry.section(u' ', 0, 0, QString::SectionSkipEmpty).toInt(),
                            entry.section(u' ', 1, 1, QString::SectionSkipEmpty));
        for (QDate day = first; day <= (month ? first.addMonths(1).addDays(-1) : first); day = day.addDays(1))
            QCOMPARE(Holidays::nameOf(day).value_or(QStringView()).toString(), expected.value(day.day()));
    }
};

QTEST_MAIN(TestHolidays)
#include "tst_holidays.moc"
