#pragma once

// Tables kept in the data folder, read into a test's _data() function: one
// row a line, named by its first field, so that each row runs as a case of
// its own and a failure names it. Fields are split at "|" and trimmed, then
// percent escapes decoded (%0D%0A, %7C for "|") and "N*c" read as N times c.
// "#" starts a comment line. Each other field is a column of the type given:
// text as it is, int, bool as yes or no, QDate in ISO form ("-" for none),
// QSize as "WxH" and QPoint as "X,Y" (empty for none), QList<int> of numbers
// split at spaces or commas. A row that does not read (a field missing or
// one too many, a number, bool or date that is not one, a name used twice)
// fails the test at its file and line, and no row of the table runs.

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <array>
#include <optional>
#include <tuple>

// u"..."_s for a QString literal, in every test.
using namespace Qt::StringLiterals;

inline QString dataPath(const QString &name)
{
    return qEnvironmentVariable("MIREBO_TEST_DATA") + u'/' + name;
}

namespace DataTable {

inline QByteArray decoded(const QByteArray &field)
{
    static const QRegularExpression repeat(QStringLiteral("^(\\d+)\\*(.)$"));
    const QRegularExpressionMatch m = repeat.match(QString::fromLatin1(field));
    return m.hasMatch() ? QByteArray(m.captured(1).toInt(), m.captured(2)[0].toLatin1())
                        : QByteArray::fromPercentEncoding(field);
}

// Numbers split at the separator, each a whole integer.
inline std::optional<QList<int>> numbers(const QByteArray &text, char separator)
{
    QList<int> out;
    for (const QByteArray &number : text.split(separator)) {
        bool ok = false;
        out << number.trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return out;
}

// The field read as T, or nothing with what T's form is.
template<typename T>
std::optional<T> read(const QByteArray &text, const char *&form)
{
    if constexpr (std::is_same_v<T, QByteArray>) {
        return decoded(text);
    } else if constexpr (std::is_same_v<T, QString>) {
        return QString::fromUtf8(decoded(text));
    } else if constexpr (std::is_same_v<T, int>) {
        form = "an integer";
        bool ok = false;
        const int value = text.toInt(&ok);
        return ok ? std::optional(value) : std::nullopt;
    } else if constexpr (std::is_same_v<T, bool>) {
        form = "yes or no";
        return text == "yes" || text == "no" ? std::optional(text == "yes") : std::nullopt;
    } else if constexpr (std::is_same_v<T, QDate>) {
        form = "a date YYYY-MM-DD or -";
        const QDate date = QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd"));
        return text == "-" ? std::optional(QDate()) : date.isValid() ? std::optional(date) : std::nullopt;
    } else if constexpr (std::is_same_v<T, QSize> || std::is_same_v<T, QPoint>) {
        form = std::is_same_v<T, QSize> ? "a size WxH or nothing" : "a point X,Y or nothing";
        const auto two = numbers(text, std::is_same_v<T, QSize> ? 'x' : ',');
        return text.isEmpty() ? T() : two && two->size() == 2 ? std::optional(T(two->at(0), two->at(1))) : std::nullopt;
    } else {
        static_assert(std::is_same_v<T, QList<int>>, "a column of a type the tables do not hold");
        form = "numbers";
        const bool commas = text.contains(',');
        return text.isEmpty() ? QList<int>() : numbers(commas ? text : text.simplified(), commas ? ',' : ' ');
    }
}

} // namespace DataTable

// Adds the table's rows to the current test, one column of type Types a field
// after the row's name. Call it from the test's _data() function.
template<typename... Types>
void dataRows(const char *name, const std::array<const char *, sizeof...(Types)> &columns)
{
    QFile file(dataPath(QString::fromLatin1(name)));
    const QByteArray path = QFile::encodeName(file.fileName());
    // The failure is located at the row; the test's own rows are then skipped, not run half-read.
    const auto stop = [&path](const QString &error, int line) {
        QTest::qFail(qPrintable(QStringLiteral("%1:%2: %3").arg(QString::fromLocal8Bit(path)).arg(line).arg(error)),
                     path.constData(), line);
    };
    if (!file.open(QIODevice::ReadOnly)) {
        stop(file.errorString(), 0);
        QSKIP("no row of the table runs");
    }
    std::size_t column = 0; // a fold over the comma operator runs left to right
    (QTest::addColumn<Types>(columns[column++]), ...);

    QList<std::pair<QByteArray, std::tuple<Types...>>> rows;
    QSet<QByteArray> names;
    int lineNumber = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        ++lineNumber;
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        const QByteArrayList fields = line.split('|');
        QString error;
        std::tuple<Types...> values;
        if (fields.size() != qsizetype(columns.size()) + 1) {
            error = QStringLiteral("%1 fields, expected %2").arg(fields.size()).arg(columns.size() + 1);
        } else if (names.contains(fields[0].trimmed())) {
            error = QStringLiteral("a second row named '%1'").arg(QString::fromUtf8(fields[0].trimmed()));
        } else {
            const auto take = [&](auto &value, std::size_t i) {
                const char *form = "";
                const QByteArray text = fields[qsizetype(i) + 1].trimmed();
                const auto got = DataTable::read<std::remove_reference_t<decltype(value)>>(text, form);
                if (got)
                    value = *got;
                else if (error.isEmpty())
                    error =
                        QStringLiteral("%1: '%2' is not %3")
                            .arg(QString::fromLatin1(columns[i]), QString::fromUtf8(text), QString::fromLatin1(form));
            };
            std::apply(
                [&](auto &...cells) {
                    std::size_t i = 0;
                    (take(cells, i++), ...);
                },
                values);
        }
        if (!error.isEmpty()) {
            stop(error, lineNumber);
            QSKIP("no row of the table runs");
        }
        names.insert(fields[0].trimmed());
        rows.append({fields[0].trimmed(), std::move(values)});
    }
    for (const auto &[rowName, values] : rows) {
        QTestData &row = QTest::newRow(rowName.constData());
        std::apply([&row](const auto &...value) { ((row << value), ...); }, values);
    }
}

// The current row's field of that name, as QFETCH reads it.
template<typename T>
T field(const char *name)
{
    return *static_cast<T *>(QTest::qData(name, qMetaTypeId<T>()));
}
