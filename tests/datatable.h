#pragma once

// Tables kept in the data folder: one row a line, named by its first field;
// fields split at "|" and trimmed, then percent escapes decoded (%0D%0A, %7C
// for "|") and "N*c" read as N times c. "#" starts a comment line.

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// u"..."_s for a QString literal, in every test.
using namespace Qt::StringLiterals;

inline QString dataPath(const QString &name)
{
    return qEnvironmentVariable("MIREBO_TEST_DATA") + u'/' + name;
}

// Adds the table's rows to the current test, one QByteArray column a field.
inline void dataRows(const char *name, std::initializer_list<const char *> columns)
{
    QFile file(dataPath(QString::fromLatin1(name)));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    for (const char *column : columns)
        QTest::addColumn<QByteArray>(column);
    const QRegularExpression repeat(QStringLiteral("^(\\d+)\\*(.)$"));
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        const QByteArrayList fields = line.split('|');
        QTestData &row = QTest::newRow(fields[0].trimmed().constData());
        for (qsizetype i = 1; i <= qsizetype(columns.size()); ++i) {
            const QByteArray field = fields.value(i).trimmed();
            const QRegularExpressionMatch m = repeat.match(QString::fromLatin1(field));
            row << (m.hasMatch() ? QByteArray(m.captured(1).toInt(), m.captured(2)[0].toLatin1())
                                 : QByteArray::fromPercentEncoding(field));
        }
    }
}

// The current row's field, read as T: bytes as they are, dates in ISO form,
// sizes as "WxH", numbers separated by spaces or commas, "yes" for true.
template<typename T>
T field(const char *name)
{
    const QByteArray text = *static_cast<QByteArray *>(QTest::qData(name, qMetaTypeId<QByteArray>()));
    QList<int> numbers;
    for (const QByteArray &number : text.simplified().split(text.contains('x') ? 'x' : text.contains(',') ? ',' : ' '))
        numbers << number.trimmed().toInt();
    if constexpr (std::is_same_v<T, QByteArray>)
        return text;
    else if constexpr (std::is_same_v<T, QDate>)
        return QDate::fromString(QString::fromLatin1(text), Qt::ISODate);
    else if constexpr (std::is_same_v<T, QSize>)
        return QSize(numbers.value(0), numbers.value(1));
    else if constexpr (std::is_same_v<T, QPoint>)
        return QPoint(numbers.value(0), numbers.value(1));
    else if constexpr (std::is_same_v<T, int>)
        return text.toInt();
    else if constexpr (std::is_same_v<T, bool>)
        return text == "yes";
    else if constexpr (std::is_same_v<T, QList<int>>)
        return text.isEmpty() ? QList<int>() : numbers;
    else
        return QString::fromUtf8(text);
}
