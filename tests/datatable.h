#pragma once

// Tables kept in the data folder, read into a test's _data() function: one
// row a line, named by its first field, so that each row runs as a case of
// its own and a failure names it. Fields are split at "|" and trimmed. "#"
// starts a comment line. Each other field is a column of the type given:
// text (percent escapes decoded, %0D%0A or %7C for "|", and "N*c" read as N
// times c), int, bool as yes or no, QDate as YYYY-MM-DD ("-" for none), QSize
// as WxH and QPoint as X,Y (empty for none), QList<int> of numbers split at
// commas or spaces. A row that does not read (a field missing or one too
// many, a number, bool or date that is not one, a name used twice) fails the
// test at its file and line, and no row of the table runs.

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <array>
#include <tuple>

// u"..."_s for a QString literal, in every test.
using namespace Qt::StringLiterals;

inline QString dataPath(const QString &name)
{
    return qEnvironmentVariable("MIREBO_TEST_DATA") + u'/' + name;
}

namespace DataTable {

// Reads the field into value; false when it is not of value's kind.
template<typename T>
bool read(const QByteArray &text, T &value)
{
    if constexpr (std::is_same_v<T, QByteArray> || std::is_same_v<T, QString>) {
        static const QRegularExpression repeat(QStringLiteral("^(\\d+)\\*(.)$"));
        const QRegularExpressionMatch m = repeat.match(QString::fromLatin1(text));
        const QByteArray bytes = m.hasMatch() ? QByteArray(m.captured(1).toInt(), m.captured(2)[0].toLatin1())
                                              : QByteArray::fromPercentEncoding(text);
        value = T(bytes);
        return true;
    } else if constexpr (std::is_same_v<T, bool>) {
        value = text == "yes";
        return text == "yes" || text == "no";
    } else if constexpr (std::is_same_v<T, QDate>) {
        value = QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd"));
        return value.isValid() || text == "-";
    } else { // numbers: one, the two of a size or a point, or a list
        const bool point = std::is_same_v<T, QPoint> || (std::is_same_v<T, QList<int>> && text.contains(','));
        QList<int> n;
        bool ok = true;
        for (const QByteArray &part : text.simplified().split(std::is_same_v<T, QSize> ? 'x' : point ? ',' : ' '))
            n << (text.isEmpty() || !ok ? 0 : part.trimmed().toInt(&ok));
        if constexpr (std::is_same_v<T, int>) {
            value = n[0];
            return ok && n.size() == 1 && !text.isEmpty();
        } else if constexpr (std::is_same_v<T, QList<int>>) {
            value = text.isEmpty() ? QList<int>() : n;
            return ok;
        } else {
            value = text.isEmpty() || n.size() != 2 ? T() : T(n[0], n[1]);
            return ok && (text.isEmpty() || n.size() == 2);
        }
    }
}

// f(i, value) for each column i and its value.
template<typename Tuple, typename F, std::size_t... I>
void eachColumn(Tuple &values, F f, std::index_sequence<I...>)
{
    (f(I, std::get<I>(values)), ...);
}

} // namespace DataTable

// Adds the table's rows to the current test, one column of type Types a field
// after the row's name. Call it from the test's _data() function.
template<typename... Types>
void dataRows(const char *name, const std::array<const char *, sizeof...(Types)> &columns)
{
    QFile file(dataPath(QString::fromLatin1(name)));
    const QByteArray path = QFile::encodeName(file.fileName());
    QList<std::pair<QByteArray, std::tuple<Types...>>> rows;
    QString error = file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
    int line = 0;
    for (const QByteArray &text : file.isOpen() ? file.readAll().split('\n') : QByteArrayList()) {
        ++line;
        const QByteArrayList fields = text.split('|');
        const QByteArray rowName = fields[0].trimmed();
        if (text.trimmed().isEmpty() || text.startsWith('#'))
            continue;
        if (fields.size() != qsizetype(columns.size()) + 1)
            error = QStringLiteral("%1 fields, expected %2").arg(fields.size()).arg(columns.size() + 1);
        else if (std::any_of(rows.cbegin(), rows.cend(), [&](const auto &row) { return row.first == rowName; }))
            error = QStringLiteral("a second row named '%1'").arg(QString::fromUtf8(rowName));
        rows.append({rowName, {}});
        DataTable::eachColumn(
            rows.last().second,
            [&](std::size_t i, auto &value) {
                const QByteArray field = fields.value(qsizetype(i) + 1).trimmed();
                if (error.isEmpty() && !DataTable::read(field, value))
                    error = QStringLiteral("%1: '%2' is not a valid %3")
                                .arg(QLatin1String(columns[i]), QString::fromUtf8(field),
                                     QLatin1String(QMetaType::fromType<std::decay_t<decltype(value)>>().name()));
            },
            std::index_sequence_for<Types...>());
        if (!error.isEmpty())
            break;
    }
    if (!error.isEmpty()) { // located at the row; the test's own rows are then skipped, not run half-read
        QTest::qFail(qPrintable(QStringLiteral("%1:%2: %3").arg(QString::fromLocal8Bit(path)).arg(line).arg(error)),
                     path.constData(), line);
        QSKIP("no row of the table runs");
    }
    std::tuple<Types...> types;
    DataTable::eachColumn(
        types, [&](std::size_t i, auto &value) { QTest::addColumn<std::decay_t<decltype(value)>>(columns[i]); },
        std::index_sequence_for<Types...>());
    for (const auto &[rowName, values] : rows)
        std::apply([&](const auto &...value) { (QTest::newRow(rowName.constData()) << ... << value); }, values);
}

// The current row's field of that name, as QFETCH reads it.
template<typename T>
T field(const char *name)
{
    return *static_cast<T *>(QTest::qData(name, qMetaTypeId<T>()));
}
