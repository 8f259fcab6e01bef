#pragma once

// A test table kept in the data folder: one row a line, fields split at "|"
// and trimmed, then percent escapes decoded (%0D%0A, %7C for "|", %20 for an
// edge space) and "N*c" read as N times c. The first field names the row.

#include <QFile>
#include <QRegularExpression>
#include <QTest>

inline QList<QByteArrayList> dataTable(const char *name)
{
    QFile file(qEnvironmentVariable("MIREBO_TEST_DATA") + u'/' + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    QList<QByteArrayList> rows;
    const QRegularExpression repeat(QStringLiteral("^(\\d+)\\*(.)$"));
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        QByteArrayList &fields = rows.emplace_back();
        for (const QByteArray &field : line.split('|')) {
            const QRegularExpressionMatch m = repeat.match(QString::fromLatin1(field.trimmed()));
            fields << (m.hasMatch() ? QByteArray(m.captured(1).toInt(), m.captured(2)[0].toLatin1())
                                    : QByteArray::fromPercentEncoding(field.trimmed()));
        }
    }
    return rows;
}
