# Tests of what ships around the program: the manual page, `make install`,
# the Debian package and the size of the binary. Their scripts exit 77 (a
# skip) when a tool they need is not installed; .ci/run installs them all.
set(ECOSYSTEM_DIR ${CMAKE_CURRENT_SOURCE_DIR}/ecosystem)

add_test(NAME ecosystem.manpage
         COMMAND bash ${ECOSYSTEM_DIR}/manpage_test.sh ${PROJECT_SOURCE_DIR}/doc/jobview.1
                 ${CMAKE_CURRENT_SOURCE_DIR}/e2e/cases/manual_template_example ${PROJECT_SOURCE_DIR}/src)

add_test(NAME ecosystem.install
         COMMAND bash ${ECOSYSTEM_DIR}/install_test.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR}
                 ${PROJECT_SOURCE_DIR} $<TARGET_FILE:jobview>)

add_test(NAME ecosystem.package
         COMMAND bash ${ECOSYSTEM_DIR}/package_test.sh ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}
                 ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR})
# Both install from the same build tree; cpack also writes into it.
set_tests_properties(ecosystem.manpage ecosystem.install ecosystem.package
                     PROPERTIES SKIP_RETURN_CODE 77)
set_tests_properties(ecosystem.package PROPERTIES RESOURCE_LOCK jobview_install)
set_tests_properties(ecosystem.install PROPERTIES RESOURCE_LOCK jobview_install)

# The devices have little flash: the stripped native binary stays within 128 KiB,
# room for selection, collection and following a log beside the display.
# Sanitized and unoptimised builds are far larger by design and are not measured.
if(NOT JOBVIEW_SANITIZE AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  add_test(NAME ecosystem.size
           COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/size.sh --max 131072 $<TARGET_FILE:jobview>)
endif()
