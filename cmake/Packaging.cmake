# The Debian package: `cmake --build build --target package` writes
# build/mirebo_<version>_<arch>.deb from the install rules. lintian
# --pedantic finds nothing to report on it (tests/packaging/check_package.sh).
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "mirebo")
set(CPACK_PACKAGE_VENDOR "${MIREBO_MAKER}")
set(CPACK_PACKAGE_CONTACT "${MIREBO_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese desktop calendar at the screen corner")
set(CPACK_PACKAGE_DESCRIPTION
  "A small desktop calendar with a Japanese user interface. It shows today's
date in a strip at the lower right corner of the screen, always on top, and
turns into a calendar of 1, 3, 6 or 12 months with the Sundays in bold.
An About window shows the version and starts a system information tool.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# One package per Debian release, each built on its release with that
# release's Depends. The version says which, as Debian's own updates of a
# release do: 1.1.0+deb12, 1.1.0+deb13. apt never takes one for the other,
# and the later release's is the newer, so an upgrade of Debian upgrades it.
cmake_host_system_information(RESULT distribution QUERY DISTRIB_ID DISTRIB_VERSION_ID)
list(GET distribution 0 distribution_id)
list(GET distribution 1 distribution_version)
if(distribution_id STREQUAL "debian" AND distribution_version MATCHES "^[0-9]+$")
  set(CPACK_DEBIAN_PACKAGE_VERSION "${PROJECT_VERSION}+deb${distribution_version}")
endif()
set(CPACK_PACKAGE_INSTALL_DIRECTORY "mirebo")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MIREBO_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MIREBO_HOMEPAGE}")
# The libraries are found from the binary (libc, libstdc++, Qt, ICU with
# their versions); the font is a run-time choice no linker can see: every
# window names the Windows proportional gothic, which the program maps to
# IPAPGothic.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
# The About window's system information button starts the release's system
# information tool when present (resources/CMakeLists.txt).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${MIREBO_SYSINFO_PACKAGE}")

# The same package from every build of a commit, whatever the umask: the
# control files get fixed modes, as the folders do, and cpack dates every
# file by SOURCE_DATE_EPOCH (see cmake/Reproducible.cmake).
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
