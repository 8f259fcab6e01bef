#pragma once

#include <QDate>
#include <QStringView>
#include <optional>

// Japan's public holidays under the national holidays law (国民の祝日に関する
// 法律, in force since 1948-07-20): the named holidays, 振替休日 and 国民の休日.
// None before the law, and none after 2150, where no equinox formula is
// agreed on: an empty answer there is not a guess.
namespace Holidays {

// The holiday's name, or nothing for a working day (and any date outside
// 1948-07-20..2150-12-31). The name lives in static storage.
std::optional<QStringView> nameOf(QDate date);

} // namespace Holidays
