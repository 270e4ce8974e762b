# The version and its date, for everything that names them. project(VERSION)
# and TARVO_DATE (YYYY-MM-DD) are the only places they are written: the
# banner (version.h), the man page's title line, the version resource of
# tarvo.exe and the changelog's check all take them from here, on every
# platform's configure.
if(NOT TARVO_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
  message(FATAL_ERROR "TARVO_DATE must be YYYY-MM-DD: ${TARVO_DATE}")
endif()
set(TARVO_BANNER_DATE "${CMAKE_MATCH_3}.${CMAKE_MATCH_2}.${CMAKE_MATCH_1}")

# The copyright line of LICENSE, for the version resource and the Debian
# copyright file.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE TARVO_COPYRIGHT REGEX "^Copyright" LIMIT_COUNT 1)

block() # the check's inputs and its own variables stay in here
  set(CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
  set(VERSION ${PROJECT_VERSION})
  set(DATE ${TARVO_DATE})
  include(${CMAKE_CURRENT_LIST_DIR}/check_changelog.cmake)
endblock()

configure_file(${PROJECT_SOURCE_DIR}/cli/version.h.in ${PROJECT_BINARY_DIR}/version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/doc/tarvo.1.in ${PROJECT_BINARY_DIR}/tarvo.1 @ONLY)
