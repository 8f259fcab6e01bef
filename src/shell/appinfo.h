#pragma once

#include "shell/appinfo_config.h"

#include <QString>
#include <cstdint>

// The application information the windows read: the title and the three
// version numbers, all filled in by the build from one place.
namespace App {

inline QString Title()
{
    return QString::fromUtf8(MIREBO_TITLE_UTF8);
}
inline constexpr std::int16_t Major = MIREBO_VERSION_MAJOR;
inline constexpr std::int16_t Minor = MIREBO_VERSION_MINOR;
inline constexpr std::int16_t Revision = MIREBO_VERSION_REVISION;

} // namespace App
