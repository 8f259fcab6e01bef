#pragma once

#include <QLoggingCategory>

// The program's messages, category "mirebo": few, each about something the
// user would otherwise not learn, such as a font that made the date strip
// narrow its text.
Q_DECLARE_LOGGING_CATEGORY(lcMirebo)
