#include "calendar/holidays.h"

namespace Holidays {

namespace {

// The day of a month a holiday falls on: a fixed day, the n-th Monday (the
// Happy Monday law of 2000 and 2003), or the month's equinox day.
enum class Kind { Day, Monday, Equinox };
struct When
{
    Kind kind = Kind::Day;
    int n = 0;
};
constexpr When on(int day)
{
    return {Kind::Day, day};
}
constexpr When monday(int n)
{
    return {Kind::Monday, n};
}
constexpr When Equinox{Kind::Equinox, 0};

constexpr int Open = 2150; // no holidays at all after this year

struct Rule
{
    QStringView name;
    int month = 0;
    When when;
    int first = 0, last = 0; // years, both included
};

// Every named holiday, one row per period of its rule: a change of law ends
// a row and starts another. The one-off holidays are rows of a single year,
// and so are the Olympic moves of 2020 and 2021.
constexpr Rule Rules[] = {
    {u"元日", 1, on(1), 1949, Open},
    {u"成人の日", 1, on(15), 1949, 1999},
    {u"成人の日", 1, monday(2), 2000, Open},
    {u"建国記念の日", 2, on(11), 1967, Open},
    {u"天皇誕生日", 2, on(23), 2020, Open},
    {u"春分の日", 3, Equinox, 1949, Open},
    {u"天皇誕生日", 4, on(29), 1949, 1988},
    {u"みどりの日", 4, on(29), 1989, 2006},
    {u"昭和の日", 4, on(29), 2007, Open},
    {u"憲法記念日", 5, on(3), 1949, Open},
    {u"みどりの日", 5, on(4), 2007, Open},
    {u"こどもの日", 5, on(5), 1949, Open},
    {u"海の日", 7, on(20), 1996, 2002},
    {u"海の日", 7, monday(3), 2003, 2019},
    {u"海の日", 7, on(23), 2020, 2020},
    {u"海の日", 7, on(22), 2021, 2021},
    {u"海の日", 7, monday(3), 2022, Open},
    {u"スポーツの日", 7, on(24), 2020, 2020},
    {u"スポーツの日", 7, on(23), 2021, 2021},
    {u"山の日", 8, on(11), 2016, 2019},
    {u"山の日", 8, on(10), 2020, 2020},
    {u"山の日", 8, on(8), 2021, 2021},
    {u"山の日", 8, on(11), 2022, Open},
    {u"敬老の日", 9, on(15), 1966, 2002},
    {u"敬老の日", 9, monday(3), 2003, Open},
    {u"秋分の日", 9, Equinox, 1948, Open},
    {u"体育の日", 10, on(10), 1966, 1999},
    {u"体育の日", 10, monday(2), 2000, 2019},
    {u"スポーツの日", 10, monday(2), 2022, Open},
    {u"文化の日", 11, on(3), 1948, Open},
    {u"勤労感謝の日", 11, on(23), 1948, Open},
    {u"天皇誕生日", 12, on(23), 1989, 2018},
    {u"皇太子明仁親王の結婚の儀", 4, on(10), 1959, 1959},
    {u"昭和天皇の大喪の礼", 2, on(24), 1989, 1989},
    {u"即位礼正殿の儀", 11, on(12), 1990, 1990},
    {u"皇太子徳仁親王の結婚の儀", 6, on(9), 1993, 1993},
    {u"天皇の即位の日", 5, on(1), 2019, 2019},
    {u"即位礼正殿の儀の行われる日", 10, on(22), 2019, 2019},
};

// The equinox days as computed ahead: int(C + 0.242194 (Y - 1980) -
// int((Y - L) / 4)), with C and L by period. In millionths of a day, so the
// sums are exact; C++ division truncates like int().
struct EquinoxTerm
{
    int first = 0, last = 0;
    int march = 0, september = 0; // C
    int leapBase = 0;             // L
};
constexpr EquinoxTerm EquinoxTerms[] = {
    {1900, 1979, 20'835'700, 23'258'800, 1983},
    {1980, 2099, 20'843'100, 23'248'800, 1980},
    {2100, 2150, 21'851'000, 24'248'800, 1980},
};
constexpr int Million = 1'000'000;
constexpr int YearDrift = 242'194;

int equinoxDay(const Rule &rule, int year)
{
    for (const EquinoxTerm &t : EquinoxTerms) {
        if (year >= t.first && year <= t.last) {
            const int constant = rule.month == 3 ? t.march : t.september;
            return (constant + YearDrift * (year - 1980) - Million * ((year - t.leapBase) / 4)) / Million;
        }
    }
    return 0;
}

int dayOf(const Rule &rule, int year)
{
    switch (rule.when.kind) {
    case Kind::Day: return rule.when.n;
    case Kind::Monday: {
        const int firstMonday = 1 + (8 - QDate(year, rule.month, 1).dayOfWeek()) % 7;
        return firstMonday + 7 * (rule.when.n - 1);
    }
    case Kind::Equinox: return equinoxDay(rule, year);
    }
    return 0;
}

const QDate LawInForce(1948, 7, 20);
const QDate SubstituteLaw(1973, 4, 12); // 振替休日
const QDate CitizensLaw(1985, 12, 27);  // 国民の休日
constexpr int Revision2007 = 2007;      // both widened

std::optional<QStringView> named(QDate date)
{
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    for (const Rule &rule : Rules) {
        if (rule.month == month && year >= rule.first && year <= rule.last && dayOf(rule, year) == day)
            return rule.name;
    }
    return std::nullopt;
}

// A named holiday on a Sunday gives the next day off, if that is not a
// holiday already; from 2007 the first day after it that is not a named
// holiday. So look back over the named holidays just before.
bool isSubstitute(QDate date)
{
    const QDate dayBefore = date.addDays(-1);
    for (QDate day = dayBefore; named(day); day = day.addDays(-1)) {
        if (day.dayOfWeek() == Qt::Sunday)
            return day.year() >= Revision2007 || (day >= SubstituteLaw && day == dayBefore);
    }
    return false;
}

// A day between two named holidays; until 2006 not a Sunday and not a
// substitute holiday.
bool isCitizensHoliday(QDate date)
{
    if (date < CitizensLaw || !named(date.addDays(-1)) || !named(date.addDays(1)))
        return false;
    return date.year() >= Revision2007 || (date.dayOfWeek() != Qt::Sunday && !isSubstitute(date));
}

} // namespace

std::optional<QStringView> nameOf(QDate date)
{
    if (!date.isValid() || date < LawInForce || date.year() > Open)
        return std::nullopt;
    if (const std::optional<QStringView> name = named(date))
        return name;
    if (isSubstitute(date))
        return u"振替休日";
    if (isCitizensHoliday(date))
        return u"国民の休日";
    return std::nullopt;
}

} // namespace Holidays
