#include "shell/clock.h"

namespace {
std::optional<QDate> g_fixed;
}

namespace Clock {

QDate today()
{
    return g_fixed ? *g_fixed : QDate::currentDate();
}

void setToday(std::optional<QDate> fixed)
{
    g_fixed = fixed;
}

} // namespace Clock
