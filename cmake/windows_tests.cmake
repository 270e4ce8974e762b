# Cross-builds tarvo.exe with MinGW-w64 and sets up the end-to-end tests to
# run it under Wine. Sets TARVO_TOOL_EXE, TARVO_LEGACY_TOOL_EXE,
# TARVO_TOOL_LAUNCHER, TARVO_WINE_PREFIX and TARVO_TOOL_TARGETS, the builds
# that the tests wait for; the cache's TARVO_TESTED_ARCH tells scripts which
# build they ran.
#
# The shipped Windows build is 32-bit. Wine runs it only where the kernel
# executes 32-bit Linux programs (wine32); elsewhere the tests run the 64-bit
# build of the same sources under wine64, and the 32-bit tarvo.exe is still
# built and checked.
include(ExternalProject)

find_program(TARVO_WINE32 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(TARVO_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
set(wine32_works 1)
if(TARVO_WINE32)
  execute_process(COMMAND ${TARVO_WINE32} --version RESULT_VARIABLE wine32_works OUTPUT_QUIET
                  ERROR_QUIET)
endif()
if(wine32_works EQUAL 0)
  set(tested_arch i686)
  set(TARVO_TOOL_LAUNCHER ${TARVO_WINE32})
  message(STATUS "Testing the shipped 32-bit build (i686) under wine32: ${TARVO_WINE32}")
elseif(TARVO_WINE64)
  set(tested_arch x86_64)
  set(TARVO_TOOL_LAUNCHER ${TARVO_WINE64})
  if(TARVO_WINE32)
    set(why "32-bit Wine does not run here (${TARVO_WINE32} --version failed)")
  else()
    set(why "no 32-bit Wine (apt-get install wine32:i386)")
  endif()
  message(STATUS "${why}: testing the 64-bit build (x86_64) under wine64: ${TARVO_WINE64}")
else()
  message(FATAL_ERROR "Wine is missing: apt-get install wine wine64")
endif()

set(TARVO_TESTED_ARCH ${tested_arch} CACHE INTERNAL "The Windows build that the tests run")
set(windows_archs i686 ${tested_arch})
list(REMOVE_DUPLICATES windows_archs)
foreach(arch IN LISTS windows_archs)
  ExternalProject_Add(tarvo_windows_${arch}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-${arch}.cmake
               -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
endforeach()
# The tested build once more without the manifest's UTF-8 code page, as
# every Windows before 10 version 1903 runs tarvo.exe: Wine then keeps the
# code page of its locale, 1252 in the C locale. The rows about names that
# such a code page lacks run on it.
ExternalProject_Add(tarvo_windows_legacy
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${tested_arch}-legacy
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-${tested_arch}.cmake
             -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTARVO_UTF8_CODE_PAGE=OFF
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")
set(TARVO_TOOL_EXE ${CMAKE_BINARY_DIR}/windows-${tested_arch}/tarvo.exe)
set(TARVO_LEGACY_TOOL_EXE ${CMAKE_BINARY_DIR}/windows-${tested_arch}-legacy/tarvo.exe)
list(TRANSFORM windows_archs PREPEND tarvo_windows_ OUTPUT_VARIABLE TARVO_TOOL_TARGETS)
list(APPEND TARVO_TOOL_TARGETS tarvo_windows_legacy)

# The shipped tarvo.exe: a 32-bit console program that needs no DLLs beyond
# Windows' own.
add_test(NAME windows_exe_standalone
         COMMAND ${CMAKE_COMMAND} -DEXE=${CMAKE_BINARY_DIR}/windows-i686/tarvo.exe
                 -DOBJDUMP=i686-w64-mingw32-objdump
                 -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/check_exe.cmake)

# The tests run in a Wine prefix of their own in the build tree, made before
# the first of them (Wine says so on standard error the first time) and shut
# down after the last.
set(TARVO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
foreach(mode setup cleanup)
  add_test(NAME wine_${mode}
           COMMAND ${CMAKE_COMMAND} -DWINE=${TARVO_TOOL_LAUNCHER} -DPREFIX=${TARVO_WINE_PREFIX}
                   -DMODE=${mode} -P ${PROJECT_SOURCE_DIR}/cmake/wine_prefix.cmake)
endforeach()
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
