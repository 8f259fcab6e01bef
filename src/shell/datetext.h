#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <memory>

// Date texts in the user's locale: the long date of the today window, the
// long date that the calendar windows read back, and the titles and headers
// of the month view. They come from ICU for the locale of the environment
// (datetext_icu.cpp), and on Windows from the user's Windows formats
// (datetext_win.cpp). ICU's formatters are made on first use and kept, since
// creating them is the expensive part.
class DateTexts
{
public:
    // An ICU locale id (ja_JP, th_TH, ja_JP@calendar=japanese, ...); on
    // Windows the texts always follow the user locale.
    explicit DateTexts(const QString &localeId);
    ~DateTexts();
    DateTexts(const DateTexts &) = delete;
    DateTexts &operator=(const DateTexts &) = delete;

    // The texts for the user's locale; reset() makes the next call read the
    // environment again (tests switch locales with it).
    static DateTexts &user();
    static void reset();

    QString longDate(QDate date) const;
    QString shortDate(QDate date) const;
    QString monthTitle(int year, int month) const; // 2026年12月, December 2026
    // A weekday for a column header, 1 = Monday ... 7 = Sunday: short (日,
    // Su) or, where short names are too wide for a column, narrow (日, S).
    enum class HeaderWidth { Short, Narrow };
    QString weekdayHeader(int qtDayOfWeek, HeaderWidth width = HeaderWidth::Short) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The user's locale as an ICU id, from LC_ALL, then LC_TIME, then LANG, the
// first one that is set and not empty. "C", "POSIX", nothing at all, and
// names ICU has no data for all give en_US_POSIX, so a date stays readable.
// (ICU builds only.)
QString userLocaleId(const std::function<QString(const char *)> &getenv);
// The locale the texts follow: the id above, or the Windows user locale name.
QString userLocaleId();
