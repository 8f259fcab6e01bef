#include "shell/datetext.h"

// windows.h first: oleauto.h needs its types.
#include <windows.h>

#include <oleauto.h>

#include <cmath>

// On Windows the date texts are the user's own Windows formats: the long
// date pattern chosen in the regional settings, read back by the same
// locale's rules, exactly as the system's own programs show them.

namespace {

SYSTEMTIME toSystemTime(QDate date)
{
    SYSTEMTIME st{};
    st.wYear = WORD(date.year());
    st.wMonth = WORD(date.month());
    st.wDay = WORD(date.day());
    st.wDayOfWeek = WORD(date.dayOfWeek() % 7); // 0 = Sunday
    return st;
}

QString formatDate(QDate date, DWORD flags)
{
    if (!date.isValid())
        return {};
    const SYSTEMTIME st = toSystemTime(date);
    wchar_t text[256];
    const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &st, nullptr, text, 256, nullptr);
    return length > 0 ? QString::fromWCharArray(text, length - 1) : QString();
}

QString localeText(LCTYPE type)
{
    wchar_t text[128];
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, 128);
    return length > 0 ? QString::fromWCharArray(text, length - 1) : QString();
}

// OLE dates count days from 1899-12-30.
constexpr qint64 OleEpochJulianDay = 2415019;

} // namespace

QString userLocaleId()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    const int length = GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    return length > 0 ? QString::fromWCharArray(name, length - 1) : QString();
}

// Nothing to keep: every text comes from the user locale at the moment it is
// asked for, which Windows caches itself.
struct DateTexts::Private
{};

DateTexts::DateTexts(const QString &)
    : d(std::make_unique<Private>())
{}

DateTexts::~DateTexts() = default;

QString DateTexts::longDate(QDate date) const
{
    return formatDate(date, DATE_LONGDATE);
}

std::optional<QDate> DateTexts::parseLongDate(const QString &text) const
{
    DATE parsed = 0;
    std::wstring wide = text.toStdWString(); // the declaration takes no const
    if (FAILED(VarDateFromStr(wide.data(), LOCALE_USER_DEFAULT, 0, &parsed)))
        return std::nullopt;
    const QDate date = QDate::fromJulianDay(qint64(std::floor(parsed)) + OleEpochJulianDay);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString DateTexts::shortDate(QDate date) const
{
    return formatDate(date, DATE_SHORTDATE);
}

QString DateTexts::monthTitle(int year, int month) const
{
    return formatDate(QDate(year, month, 1), DATE_YEARMONTH);
}

QString DateTexts::weekdayHeader(int qtDayOfWeek, HeaderWidth width) const
{
    if (qtDayOfWeek < 1 || qtDayOfWeek > 7)
        return {};
    // Windows counts the names from Monday, as Qt does.
    const LCTYPE first = width == HeaderWidth::Short ? LOCALE_SABBREVDAYNAME1 : LOCALE_SSHORTESTDAYNAME1;
    return localeText(first + LCTYPE(qtDayOfWeek - 1));
}
