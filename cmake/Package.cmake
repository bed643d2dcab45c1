# `make package`: a Debian package of what `make install` installs, made by
# CPack. Its run-time dependencies are computed from the binary itself by
# dpkg-shlibdeps (dpkg-dev), so they follow whatever the build links.

set(JOBVIEW_MAINTAINER "jobview maintainers <jobview@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME jobview)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "jobview")
set(CPACK_PACKAGE_CONTACT "${JOBVIEW_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "display the job logs of a printing device")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${JOBVIEW_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary first and indents each of these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "jobview shows the accounting files in which a printing device records every
job and document it handled. Records are selected by position and laid out
by a user-written display template or by a built-in display; a raw mode
copies records exactly as stored. The logs are read under the device's
inter-process lock named accounting.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

if(JOBVIEW_STATIC)
  # A static binary depends on nothing.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
else()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
# A cross build names the devices' architecture, not the build machine's.
if(CMAKE_CROSSCOMPILING AND JOBVIEW_DEBIAN_ARCH)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${JOBVIEW_DEBIAN_ARCH})
endif()

# Debian wants a changelog beside every package's documentation; this one
# names the release. Its date honours SOURCE_DATE_EPOCH, for reproducible builds.
string(TIMESTAMP JOBVIEW_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND gzip -9 -n -c ${PROJECT_BINARY_DIR}/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/changelog
  VERBATIM)
add_custom_target(jobview_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian wants the licence of every package in its copyright file, in the
# machine-readable format; the text is the project's LICENSE.
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(CPack)
