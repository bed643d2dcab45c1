# Builds for the devices: a fully static binary that needs nothing of the
# device's libraries, and section garbage collection, which drops the code of
# the library that the program never calls (a device has little flash).

if(JOBVIEW_STATIC)
  if(JOBVIEW_SANITIZE)
    message(FATAL_ERROR "JOBVIEW_STATIC and JOBVIEW_SANITIZE cannot be combined: the sanitizers need the dynamic loader")
  endif()
  target_link_options(jobview PRIVATE -static)
endif()

if(NOT JOBVIEW_SANITIZE)
  target_compile_options(libjobview PRIVATE -ffunction-sections -fdata-sections)
  target_compile_options(jobview PRIVATE -ffunction-sections -fdata-sections)
  target_link_options(jobview PRIVATE -Wl,--gc-sections)
endif()
