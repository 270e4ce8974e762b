# CPack reads this before it makes each package (CPACK_PROJECT_CONFIG_FILE).
#
# The time for the archives' members: CPack takes it from its own environment.
if(CPACK_TARVO_EPOCH)
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_TARVO_EPOCH})
endif()

# Without dpkg-shlibdeps (or file, with which CPack finds the programs to ask
# it about) CPack makes a .deb that declares no dependency at all, not even
# the C library. Stop instead, naming what to install.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(missing "")
  set(tools "")
  foreach(tool_package dpkg-shlibdeps:dpkg-dev file:file)
    string(REPLACE ":" ";" tool_package ${tool_package})
    list(GET tool_package 0 tool)
    list(GET tool_package 1 package)
    find_program(tarvo_found_${tool} ${tool})
    if(NOT tarvo_found_${tool})
      list(APPEND missing ${package})
      string(APPEND tools " ${tool}")
    endif()
  endforeach()
  if(missing)
    list(JOIN missing " " missing)
    message(FATAL_ERROR "The Debian package needs${tools} to declare the libraries it depends on: "
                        "apt-get install ${missing}")
  endif()
endif()
