# The Debian package: `cmake --build build --target package` writes
# build/mirebo_<version>_<arch>.deb from the install rules.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "mirebo")
set(CPACK_PACKAGE_VENDOR "The Mirebo developers")
set(CPACK_PACKAGE_CONTACT "The Mirebo developers <maintainers@mirebo.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese desktop calendar at the screen corner")
set(CPACK_PACKAGE_DESCRIPTION
  "A small desktop calendar with a Japanese user interface. It shows today's
date in a strip at the lower right corner of the screen, always on top, and
turns into a calendar of 1, 3, 6 or 12 months with the Sundays in bold.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY "mirebo")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://mirebo.example.org")
# The libraries are found from the binary (libc, libstdc++, Qt, ICU with
# their versions); the font is a run-time choice no linker can see: every
# window names the Windows proportional gothic, which the program maps to
# IPAPGothic.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
# The About window's system information button starts hardinfo when present.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hardinfo")

include(CPack)
