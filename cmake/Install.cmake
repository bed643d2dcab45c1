# `make install` (and the package, which installs the same files): the
# program, its manual page and the example templates with the sample log.
# PREFIX and DESTDIR are honoured as usual; paths follow GNUInstallDirs.

include(GNUInstallDirs)

install(TARGETS jobview RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages are installed compressed, as man(1) and Debian expect; -n keeps
# the name and time stamp out of the archive so that builds are reproducible.
set(JOBVIEW_MANPAGE ${PROJECT_SOURCE_DIR}/doc/jobview.1)
set(JOBVIEW_MANPAGE_GZ ${PROJECT_BINARY_DIR}/jobview.1.gz)
add_custom_command(
  OUTPUT ${JOBVIEW_MANPAGE_GZ}
  COMMAND gzip -9 -n -c ${JOBVIEW_MANPAGE} > ${JOBVIEW_MANPAGE_GZ}
  DEPENDS ${JOBVIEW_MANPAGE}
  COMMENT "Compressing the manual page"
  VERBATIM)
add_custom_target(jobview_manpage ALL DEPENDS ${JOBVIEW_MANPAGE_GZ})
install(FILES ${JOBVIEW_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(JOBVIEW_EXAMPLES_DIR ${CMAKE_INSTALL_DATADIR}/jobview/examples)
file(GLOB JOBVIEW_EXAMPLE_FILES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/examples/*.tpl ${PROJECT_SOURCE_DIR}/examples/*.log)
install(FILES ${JOBVIEW_EXAMPLE_FILES} DESTINATION ${JOBVIEW_EXAMPLES_DIR})
