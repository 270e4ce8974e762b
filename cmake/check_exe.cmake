# cmake -DEXE=tarvo.exe -DOBJDUMP=... -DVERSION=3.1.1 -P check_exe.cmake: fails
# unless EXE is a 32-bit Windows console program for Windows XP (subsystem
# version 5.1) that imports only system DLLs, and from kernel32.dll and
# msvcrt.dll only calls that Windows XP SP3 has, carries the manifest (UTF-8 code page, run
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
# Every call that tarvo.exe takes from kernel32.dll and msvcrt.dll, each
# checked against what Windows XP SP3 has. A call that is not listed here
# fails the check: look it up, and list it only where Windows XP has it (for
# msvcrt.dll, where a list of its exports that marks the additions of
# Windows Vista does not mark it); a newer one is asked for at run time
# (GetProcAddress) instead.
set(xp_kernel32
    CloseHandle CreateFileW CreateSemaphoreW DeleteCriticalSection EnterCriticalSection FindClose
    FindFirstFileW FindNextFileW FreeLibrary GetACP GetConsoleMode GetCurrentThreadId
    GetFileInformationByHandle GetFileType GetLastError GetModuleHandleA GetModuleHandleW
    GetProcAddress GetStartupInfoA InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection
    LoadLibraryA MultiByteToWideChar PeekNamedPipe ReleaseSemaphore SetEndOfFile SetFilePointer
    SetLastError SetUnhandledExceptionFilter Sleep TlsAlloc TlsFree TlsGetValue TlsSetValue
    VirtualProtect VirtualQuery WaitForSingleObject WideCharToMultiByte WriteConsoleW)
set(xp_msvcrt
    __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __set_app_type
    __setusermatherr __wgetmainargs _amsg_exit _cexit _close _errno _fdopen _filbuf _fileno _flsbuf
    _get_osfhandle _initterm _iob _lock _onexit _open_osfhandle _setmode _unlock _wfopen abort atoi
    calloc exit fclose ferror fflush fgetpos fprintf fputc fputs free fsetpos fwrite localeconv
    malloc memcpy memset putchar realloc setlocale setvbuf signal strchr strcmp strerror strlen
    strncmp strstr ungetc vfprintf wcscmp wcscpy wcslen wcspbrk)
foreach(dll KERNEL32 msvcrt)
  string(TOLOWER "xp_${dll}" known)
  string(REGEX MATCH "DLL Name: ${dll}\\.dll\n[^\n]*\n([^\n]+\n)*" table "${dump}")
  string(REGEX MATCHALL "[0-9]+  [A-Za-z0-9_]+\n" calls "${table}")
  foreach(call IN LISTS calls)
    string(REGEX REPLACE "^[0-9]+  ([A-Za-z0-9_]+)\n$" "\\1" call "${call}")
    if(NOT call IN_LIST ${known})
      message(FATAL_ERROR "${EXE} calls ${call} of ${dll}.dll, which is not known to be on Windows XP")
    endif()
  endforeach()
  list(LENGTH calls call_count)
  if(call_count EQUAL 0)
    message(FATAL_ERROR "${EXE}: no calls of ${dll}.dll found in the dump")
  endif()
endforeach()
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
