#pragma once

#include <QDate>

// Weekdays are numbered three ways here, and converted only in this one
// place: the program's own numbering, 1 = Sunday ... 7 = Saturday, which
// ICU's UCAL_SUNDAY ... UCAL_SATURDAY share; Qt's, 1 = Monday ... 7 =
// Sunday; and Windows' SYSTEMTIME, 0 = Sunday ... 6 = Saturday.
namespace Weekday {

inline constexpr int Sunday = 1;
inline constexpr int Monday = 2;

constexpr int fromQt(int qtDayOfWeek)
{
    return qtDayOfWeek % 7 + 1;
}

constexpr int toQt(int weekday)
{
    return (weekday + 5) % 7 + 1;
}

constexpr int toWindows(int weekday)
{
    return weekday - 1;
}

// The weekday of a valid date.
inline int of(QDate date)
{
    return fromQt(date.dayOfWeek());
}

// The weekday `days` (0 or more) after `weekday`.
constexpr int after(int weekday, int days)
{
    return (weekday - 1 + days) % 7 + 1;
}

// How many days (0 to 6) from a `from` day on to the next `to` day.
constexpr int daysUntil(int from, int to)
{
    return (to - from + 7) % 7;
}

} // namespace Weekday
