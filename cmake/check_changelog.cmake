# cmake -DCHANGELOG=... -DVERSION=3.1.1 -DDATE=2019-09-25 -P check_changelog.cmake
# (or included with those variables set): fails unless the changelog's latest
# entry names this version and is signed on this date.
file(STRINGS ${CHANGELOG} latest LIMIT_COUNT 1)
file(STRINGS ${CHANGELOG} signed REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" date_parts "${DATE}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
math(EXPR month_index "${CMAKE_MATCH_2} - 1")
list(GET months ${month_index} month)
math(EXPR day "${CMAKE_MATCH_3}") # no leading zero, as in RFC 2822 dates
set(signed_on "${day} ${month} ${CMAKE_MATCH_1}")
string(REPLACE "." "\\." version_pattern "${VERSION}")
if(NOT latest MATCHES "^tarvo \\(${version_pattern}\\)" OR NOT signed MATCHES ", 0?${signed_on} ")
  # Each line starts with a space, so that CMake prints the lines as they are
  # instead of wrapping them at a width that depends on the path's length.
  string(REPLACE "\\;" ";" latest "${latest}")
  message(FATAL_ERROR " ${CHANGELOG}:\n"
                      " the latest entry is not version ${VERSION} of ${signed_on}:\n"
                      " ${latest}\n${signed}")
endif()
