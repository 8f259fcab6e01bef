#include "shell/datetext.h"

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/dtptngen.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/simpletz.h>
#include <unicode/timezone.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr qint64 UnixEpochJulianDay = 2440588;
constexpr double MillisPerDay = 86400000.0;

icu::UnicodeString toIcu(const QString &s)
{
    return icu::UnicodeString(reinterpret_cast<const UChar *>(s.utf16()), int32_t(s.size()));
}

QString fromIcu(const icu::UnicodeString &s)
{
    return QString(reinterpret_cast<const QChar *>(s.getBuffer()), s.length());
}

// Dates are formatted as midnight UTC in a UTC formatter, so no time zone can
// move them to a neighbouring day. ICU's own default zone is never needed:
// making it a fixed UTC zone spares loading the time zone database, which
// formatter creation would otherwise do at start-up.
void useFixedUtcDefaultZone()
{
    static const bool done = [] {
        icu::TimeZone::adoptDefault(new icu::SimpleTimeZone(0, icu::UnicodeString(u"UTC")));
        return true;
    }();
    Q_UNUSED(done);
}

UDate toUDate(QDate date)
{
    return double(date.toJulianDay() - UnixEpochJulianDay) * MillisPerDay;
}

QDate fromUDate(UDate udate)
{
    return QDate::fromJulianDay(qint64(std::floor(udate / MillisPerDay)) + UnixEpochJulianDay);
}

// QDate counts in the proleptic Gregorian calendar; ICU switches to the
// Julian calendar before 1582 unless told otherwise.
void prepare(icu::DateFormat &format)
{
    format.adoptTimeZone(new icu::SimpleTimeZone(0, icu::UnicodeString(u"UTC")));
    if (auto *gregorian = dynamic_cast<icu::GregorianCalendar *>(
            const_cast<icu::Calendar *>(format.getCalendar()))) {
        UErrorCode status = U_ZERO_ERROR;
        gregorian->setGregorianChange(-HUGE_VAL, status);
    }
    format.setLenient(false);
}

// A language ICU knows has an ISO 639 code; garbage has none. Cheaper than
// walking the list of available locales, which start-up would pay for.
bool icuKnowsLanguage(const icu::Locale &locale)
{
    return !locale.isBogus() && *locale.getLanguage() && *locale.getISO3Language();
}

} // namespace

QString userLocaleId(const std::function<QString(const char *)> &getenv)
{
    QString posix;
    for (const char *name : {"LC_ALL", "LC_TIME", "LANG"}) {
        posix = getenv(name);
        if (!posix.isEmpty())
            break;
    }

    // ja_JP.UTF-8@calendar=japanese -> ja_JP@calendar=japanese; a POSIX
    // modifier without "=" (de_DE@euro) means nothing to ICU and is dropped.
    QString modifier;
    if (const qsizetype at = posix.indexOf(u'@'); at >= 0) {
        modifier = posix.mid(at);
        posix.truncate(at);
        if (!modifier.contains(u'='))
            modifier.clear();
    }
    if (const qsizetype dot = posix.indexOf(u'.'); dot >= 0)
        posix.truncate(dot);

    const QString fallback = QStringLiteral("en_US_POSIX");
    if (posix.isEmpty() || posix == u"C" || posix == u"POSIX")
        return fallback;
    for (QChar c : posix) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'-')
            return fallback;
    }
    const QString id = posix + modifier;
    if (!icuKnowsLanguage(icu::Locale(id.toLatin1().constData())))
        return fallback;
    return id;
}

QString userLocaleId()
{
    return userLocaleId([](const char *name) { return QString::fromLocal8Bit(qgetenv(name)); });
}

struct DateTexts::Private
{
    icu::Locale locale;
    mutable std::unique_ptr<icu::DateFormat> longFormat;
    mutable std::unique_ptr<icu::DateFormat> shortFormat;
    mutable std::unique_ptr<icu::SimpleDateFormat> monthFormat;
    mutable std::unique_ptr<icu::DateFormatSymbols> symbols;

    icu::DateFormat &longDate() const
    {
        if (!longFormat) {
            longFormat.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kLong, locale));
            prepare(*longFormat);
        }
        return *longFormat;
    }

    icu::DateFormat &shortDate() const
    {
        if (!shortFormat) {
            shortFormat.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
            prepare(*shortFormat);
        }
        return *shortFormat;
    }

    // Month titles head a grid of Gregorian days, so they name Gregorian
    // months: a calendar whose months fall elsewhere (Islamic, Hebrew,
    // Chinese, ...) titles them in the Gregorian calendar, in the user's
    // language. Calendars that only count the years differently (Japanese
    // eras, Buddhist, Minguo) keep their own years.
    icu::Locale monthTitleLocale() const
    {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(locale, status));
        if (U_FAILURE(status))
            return locale;
        const QByteArray type(calendar->getType());
        if (type == "gregorian" || type == "japanese" || type == "buddhist" || type == "roc" || type == "iso8601")
            return locale;
        icu::Locale gregorian = locale;
        gregorian.setKeywordValue("calendar", "gregorian", status);
        return U_SUCCESS(status) ? gregorian : locale;
    }

    icu::DateFormat &month() const
    {
        if (!monthFormat) {
            const icu::Locale titleLocale = monthTitleLocale();
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::DateTimePatternGenerator> generator(
                icu::DateTimePatternGenerator::createInstance(titleLocale, status));
            icu::UnicodeString pattern = U_SUCCESS(status)
                ? generator->getBestPattern(icu::UnicodeString(u"yMMMM"), status)
                : icu::UnicodeString(u"MMMM y");
            status = U_ZERO_ERROR;
            monthFormat = std::make_unique<icu::SimpleDateFormat>(pattern, titleLocale, status);
            prepare(*monthFormat);
        }
        return *monthFormat;
    }

    const icu::DateFormatSymbols &dateSymbols() const
    {
        if (!symbols) {
            UErrorCode status = U_ZERO_ERROR;
            symbols = std::make_unique<icu::DateFormatSymbols>(locale, status);
        }
        return *symbols;
    }
};

DateTexts::DateTexts(const QString &localeId)
    : d(std::make_unique<Private>())
{
    useFixedUtcDefaultZone();
    d->locale = icu::Locale(localeId.toLatin1().constData());
}

DateTexts::~DateTexts() = default;

QString DateTexts::longDate(QDate date) const
{
    icu::UnicodeString out;
    d->longDate().format(toUDate(date), out);
    return fromIcu(out);
}

std::optional<QDate> DateTexts::parseLongDate(const QString &text) const
{
    const icu::UnicodeString in = toIcu(text);
    icu::ParsePosition pos(0);
    const UDate parsed = d->longDate().parse(in, pos);
    if (pos.getErrorIndex() >= 0 || pos.getIndex() != in.length())
        return std::nullopt;
    const QDate date = fromUDate(parsed);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString DateTexts::shortDate(QDate date) const
{
    icu::UnicodeString out;
    d->shortDate().format(toUDate(date), out);
    return fromIcu(out);
}

QString DateTexts::monthTitle(int year, int month) const
{
    icu::UnicodeString out;
    d->month().format(toUDate(QDate(year, month, 1)), out);
    return fromIcu(out);
}

QString DateTexts::weekdayHeader(int qtDayOfWeek, HeaderWidth width) const
{
    int32_t count = 0;
    const icu::UnicodeString *names = d->dateSymbols().getWeekdays(
        count, icu::DateFormatSymbols::STANDALONE,
        width == HeaderWidth::Short ? icu::DateFormatSymbols::SHORT : icu::DateFormatSymbols::NARROW);
    // ICU counts 1 = Sunday ... 7 = Saturday, with an empty element 0.
    const int icuDay = qtDayOfWeek % 7 + 1;
    if (!names || icuDay >= count)
        return {};
    return fromIcu(names[icuDay]);
}
