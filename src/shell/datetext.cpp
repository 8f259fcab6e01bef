#include "shell/datetext.h"

// The texts of the user's locale, shared by every window; the platform's
// file (datetext_icu.cpp, datetext_win.cpp) makes them.
namespace {
std::unique_ptr<DateTexts> g_user;
}

DateTexts &DateTexts::user()
{
    if (!g_user)
        g_user = std::make_unique<DateTexts>(userLocaleId());
    return *g_user;
}

void DateTexts::reset()
{
    g_user.reset();
}
