#include "shell/datetext.h"
#include "shell/weekday.h"

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/dtptngen.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/uloc.h>
#include <unicode/ures.h>

#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

constexpr qint64 UnixEpochJulianDay = 2440588;
constexpr double MillisPerDay = 86400000.0;

QString fromIcu(const icu::UnicodeString &s)
{
    return QString(reinterpret_cast<const QChar *>(s.getBuffer()), s.length());
}

// Dates are formatted as midnight UTC in a UTC formatter, so no time zone can
// move them to a neighbouring day. ICU's own default zone is never needed:
// making it a fixed UTC zone spares loading the time zone database, which
// formatter creation would otherwise do. Set when the first formatter is made,
// not before: the today window's date often needs none.
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

// QDate counts in the proleptic Gregorian calendar; ICU switches to the
// Julian calendar before 1582 unless told otherwise.
void prepare(icu::DateFormat &format)
{
    format.adoptTimeZone(new icu::SimpleTimeZone(0, icu::UnicodeString(u"UTC")));
    if (auto *gregorian = dynamic_cast<icu::GregorianCalendar *>(const_cast<icu::Calendar *>(format.getCalendar()))) {
        UErrorCode status = U_ZERO_ERROR;
        gregorian->setGregorianChange(-HUGE_VAL, status);
    }
    format.setLenient(false);
}

// The long date of most East Asian locales is a pattern of numbers only, like
// y年M月d日. For those the today window writes it straight from the pattern in
// the locale's data, which costs a few resource look-ups instead of a whole
// formatter (calendar, symbols, number formats) and keeps start-up lean. Any
// locale where that might differ from ICU's formatter - another calendar or
// numbering system, keywords, names of months or weekdays - gets the formatter.
class NumericLongDate
{
public:
    explicit NumericLongDate(const icu::Locale &locale)
    {
        const char *id = locale.getName();
        if (std::strchr(id, '@') || !*locale.getCountry()
            || !defaultIs("calendarPreferenceData", locale.getCountry(), "gregorian") || numberingSystem(id) != "latn")
            return;
        UErrorCode status = U_ZERO_ERROR;
        UResourceBundle *bundle =
            follow(ures_open(nullptr, id, &status), {"calendar", "gregorian", "DateTimePatterns"}, status);
        int32_t length = 0;
        const UChar *pattern =
            ures_getStringByIndex(bundle, icu::DateFormat::kDateOffset + icu::DateFormat::kLong, &length, &status);
        if (U_SUCCESS(status) && numericOnly(pattern, length))
            m_pattern = QString(reinterpret_cast<const QChar *>(pattern), length);
        ures_close(bundle);
    }

    bool covers(QDate date) const { return !m_pattern.isEmpty() && date.year() >= 1 && date.year() <= 9999; }

    QString format(QDate date) const
    {
        QString out;
        for (qsizetype i = 0; i < m_pattern.size();) {
            const QChar c = m_pattern[i];
            if (c == u'\'') {
                const qsizetype end = m_pattern.indexOf(u'\'', i + 1);
                out += m_pattern.mid(i + 1, end - i - 1);
                i = end + 1;
                continue;
            }
            qsizetype n = 1;
            while (i + n < m_pattern.size() && m_pattern[i + n] == c)
                ++n;
            if (c == u'y')
                out += n == 2 ? number(date.year() % 100, 2) : number(date.year(), n);
            else if (c == u'M')
                out += number(date.month(), n);
            else if (c == u'd')
                out += number(date.day(), n);
            else
                out += QString(n, c);
            i += n;
        }
        return out;
    }

private:
    // The resource under the keys, one level each; the bundles on the way are closed.
    static UResourceBundle *follow(UResourceBundle *bundle, std::initializer_list<const char *> keys,
                                   UErrorCode &status)
    {
        for (const char *key : keys) {
            UResourceBundle *next = ures_getByKey(bundle, key, nullptr, &status);
            ures_close(bundle);
            bundle = next;
        }
        return bundle;
    }

    static QString number(int value, qsizetype width)
    {
        return QStringLiteral("%1").arg(value, int(width), 10, QChar(u'0'));
    }

    // Numbers only: y, M or MM, d or dd, and text, quoted or not, with no
    // quote written as ''.
    static bool numericOnly(const UChar *pattern, int32_t length)
    {
        bool quoted = false;
        for (int32_t i = 0; i < length; ++i) {
            const UChar c = pattern[i];
            if (c == u'\'' && i + 1 < length && pattern[i + 1] == u'\'')
                return false;
            if (c == u'\'')
                quoted = !quoted;
            else if (quoted || c == u'y' || !((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
                continue; // literal text, or the year
            else if ((c != u'M' && c != u'd') || (i + 2 < length && pattern[i + 1] == c && pattern[i + 2] == c))
                return false;
        }
        return !quoted && length > 0;
    }

    // The first value of a supplemental table's entry, like the region's
    // preferred calendar.
    static bool defaultIs(const char *table, const char *entry, const char *expected)
    {
        UErrorCode status = U_ZERO_ERROR;
        UResourceBundle *bundle = follow(ures_openDirect(nullptr, "supplementalData", &status), {table, entry}, status);
        int32_t length = 0;
        const UChar *value = ures_getStringByIndex(bundle, 0, &length, &status);
        const bool same = U_SUCCESS(status) && QString(reinterpret_cast<const QChar *>(value), length) == expected;
        ures_close(bundle);
        return same;
    }

    // The locale's default numbering system: the first locale from it up to
    // the root that names one.
    static QByteArray numberingSystem(const char *id)
    {
        QByteArray locale(id);
        for (;;) {
            UErrorCode status = U_ZERO_ERROR;
            const char *name = locale.isEmpty() ? "root" : locale.constData();
            UResourceBundle *bundle =
                follow(ures_openDirect(nullptr, name, &status), {"NumberElements", "default"}, status);
            int32_t length = 0;
            const UChar *system = ures_getString(bundle, &length, &status);
            const QByteArray found =
                U_SUCCESS(status) ? QString(reinterpret_cast<const QChar *>(system), length).toLatin1() : QByteArray();
            ures_close(bundle);
            if (!found.isEmpty() || locale.isEmpty())
                return found.isEmpty() ? QByteArrayLiteral("latn") : found;
            char parent[ULOC_FULLNAME_CAPACITY] = {};
            status = U_ZERO_ERROR;
            uloc_getParent(locale.constData(), parent, sizeof parent, &status);
            locale = U_SUCCESS(status) ? QByteArray(parent) : QByteArray();
        }
    }

    QString m_pattern;
};

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

    QString fallback = QStringLiteral("en_US_POSIX");
    if (posix.isEmpty() || posix == u"C" || posix == u"POSIX")
        return fallback;
    for (QChar c : posix) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'-')
            return fallback;
    }
    QString id = posix + modifier;
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
    mutable std::optional<NumericLongDate> numericLongDate;
    mutable std::unique_ptr<icu::DateFormat> longFormat;
    mutable std::unique_ptr<icu::DateFormat> shortFormat;
    mutable std::unique_ptr<icu::SimpleDateFormat> monthFormat;
    mutable std::unique_ptr<icu::DateFormatSymbols> symbols;

    const NumericLongDate &numericLong() const
    {
        if (!numericLongDate)
            numericLongDate.emplace(locale);
        return *numericLongDate;
    }

    icu::DateFormat &longDate() const
    {
        if (!longFormat) {
            useFixedUtcDefaultZone();
            longFormat.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kLong, locale));
            prepare(*longFormat);
        }
        return *longFormat;
    }

    icu::DateFormat &shortDate() const
    {
        if (!shortFormat) {
            useFixedUtcDefaultZone();
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
            useFixedUtcDefaultZone();
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
            useFixedUtcDefaultZone();
            UErrorCode status = U_ZERO_ERROR;
            symbols = std::make_unique<icu::DateFormatSymbols>(locale, status);
        }
        return *symbols;
    }
};

DateTexts::DateTexts(const QString &localeId)
    : d(std::make_unique<Private>())
{
    d->locale = icu::Locale(localeId.toLatin1().constData());
}

DateTexts::~DateTexts() = default;

QString DateTexts::longDate(QDate date) const
{
    if (const NumericLongDate &numeric = d->numericLong(); numeric.covers(date))
        return numeric.format(date);
    icu::UnicodeString out;
    d->longDate().format(toUDate(date), out);
    return fromIcu(out);
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
    // ICU counts as the program does, with an empty element 0.
    static_assert(UCAL_SUNDAY == Weekday::Sunday);
    const int icuDay = Weekday::fromQt(qtDayOfWeek);
    if (!names || icuDay >= count)
        return {};
    // An array of UnicodeString itself, not of a class derived from it.
    return fromIcu(names[icuDay]); // NOLINT(bugprone-pointer-arithmetic-on-polymorphic-object)
}
