#pragma once

#include <QDate>
#include <optional>

// Today's date, date only. Tests fix it to any day (a Sunday, a month end,
// 1753 or 9999) instead of waiting for it.
namespace Clock {

QDate today();
void setToday(std::optional<QDate> fixed);

} // namespace Clock
