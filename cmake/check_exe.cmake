# cmake -DEXE=tarvo.exe -DOBJDUMP=... -DVERSION=3.1.1 -P check_exe.cmake: fails
# unless EXE is a 32-bit Windows console program for Windows XP (subsystem
# version 5.1) that imports only system DLLs, and from kernel32.dll only
# calls that Windows XP SP3 has, carries the manifest (UTF-8 code page, run
# as the invoker without file virtualization, Windows 10 supported) and a
# version resource for VERSION.
cmake_minimum_required(VERSION 3.25) # policies, IN_LIST among them, for cmake -P
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot read ${EXE}")
endif()
if(NOT dump MATCHES "file format pei-i386")
  message(FATAL_ERROR "${EXE} is not a 32-bit Windows program")
endif()
if(NOT dump MATCHES "Subsystem[ \t]+00000003")
  message(FATAL_ERROR "${EXE} is not a console program")
endif()
if(NOT dump MATCHES "MajorSubsystemVersion[ \t]+5\n" OR NOT dump MATCHES "MinorSubsystemVersion[ \t]+1\n")
  message(FATAL_ERROR "${EXE} does not name Windows XP (5.1) as its subsystem version")
endif()
# Every call that tarvo.exe takes from kernel32.dll, each checked against
# Windows XP SP3's kernel32. A call that is not listed here fails the check:
# look it up, and list it only where Windows XP has it; a newer one is asked
# for at run time (GetProcAddress) instead.
set(xp_kernel32
    CloseHandle CreateFileW CreateSemaphoreW DeleteCriticalSection EnterCriticalSection FindClose
    FindFirstFileW FindNextFileW FreeLibrary GetACP GetConsoleMode GetCurrentThreadId
    GetFileInformationByHandle GetFileType GetLastError GetModuleHandleA GetModuleHandleW
    GetProcAddress GetStartupInfoA InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection
    LoadLibraryA MultiByteToWideChar PeekNamedPipe ReleaseSemaphore SetEndOfFile SetFilePointer
    SetLastError SetUnhandledExceptionFilter Sleep TlsAlloc TlsFree TlsGetValue TlsSetValue
    VirtualProtect VirtualQuery WaitForSingleObject WideCharToMultiByte WriteConsoleW)
string(REGEX MATCH "DLL Name: KERNEL32\\.dll\n[^\n]*\n([^\n]+\n)*" kernel32 "${dump}")
string(REGEX MATCHALL "[0-9]+  [A-Za-z0-9_]+\n" calls "${kernel32}")
foreach(call IN LISTS calls)
  string(REGEX REPLACE "^[0-9]+  ([A-Za-z0-9_]+)\n$" "\\1" call "${call}")
  if(NOT call IN_LIST xp_kernel32)
    message(FATAL_ERROR "${EXE} calls ${call} of kernel32.dll, which is not known to be on Windows XP")
  endif()
endforeach()
list(LENGTH calls call_count)
if(call_count EQUAL 0)
  message(FATAL_ERROR "${EXE}: no calls of kernel32.dll found in the dump")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${import}")
  string(TOLOWER "${dll}" dll)
  if(NOT dll MATCHES "^(kernel32|msvcrt|user32|advapi32|ntdll)\\.dll$")
    message(FATAL_ERROR "${EXE} needs ${dll}")
  endif()
endforeach()
file(READ ${EXE} bytes HEX)
# The manifest is stored as its UTF-8 bytes, the version resource's strings
# as UTF-16LE.
function(require text what)
  string(HEX "${text}" hex)
  if(NOT bytes MATCHES "${hex}")
    message(FATAL_ERROR "${EXE} lacks ${what}")
  endif()
endfunction()
function(utf16 text out)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()
require("UTF-8</activeCodePage>" "the manifest that makes UTF-8 its code page")
require("<requestedExecutionLevel level=\"asInvoker\"" "the manifest's asInvoker level")
require("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>" "Windows 10 as supported OS")
utf16("ProductVersion" key)
utf16("${VERSION}" value)
if(NOT bytes MATCHES "${key}(00)+${value}0000")
  message(FATAL_ERROR "${EXE} lacks a version resource for version ${VERSION}")
endif()
message(STATUS "${EXE}: 32-bit console program ${VERSION}, imports ${imports}")
