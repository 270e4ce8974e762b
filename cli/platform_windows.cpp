#include "platform.h"

#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

// The runtime's start-up expands wildcard patterns in the arguments into the
// names of the matching files before main sees them, as a Unix shell would.
// A pattern that matches nothing is passed on as it is.
extern "C" {
int _dowildcard = -1;
}

namespace {

HANDLE handle_of(FILE *stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// A real console: GetConsoleMode works on nothing else. The runtime also
// takes the NUL device for a terminal.
bool is_console(FILE *stream) {
    DWORD mode;
    return GetConsoleMode(handle_of(stream), &mode) != 0;
}

// Room for the longest command line, 32767 UTF-16 units, as UTF-8.
char typed_pattern[3 * 32768];

// How many of main's arguments, from position at on, the typed word became.
// The start-up leaves a word as typed where it holds no wildcard, where it
// matches nothing, and (in Windows' own runtime) where it was quoted; since
// no file name holds * or ?, such a word shows as itself. Otherwise it became
// one name for each match, but for . and ..
int names_of(const wchar_t *word, char **argv, int at) {
    if (!wcspbrk(word, L"*?") || !argv[at] || strpbrk(argv[at], "*?"))
        return 1;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(word, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    int names = 0;
    do {
        const wchar_t *name = found.cFileName;
        names += wcscmp(name, L".") != 0 && wcscmp(name, L"..") != 0;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names > 0 ? names : 1;
}

// The command line split into words as the runtime splits it, by Windows'
// own CommandLineToArgvW. Its DLL is loaded only here, as it costs more to
// load than a small conversion takes.
wchar_t **typed_words(const wchar_t *command_line, int *words) {
    typedef wchar_t **(WINAPI * splitter)(const wchar_t *, int *);
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    FARPROC split = shell ? GetProcAddress(shell, "CommandLineToArgvW") : nullptr;
    if (!split)
        return nullptr;
    return reinterpret_cast<splitter>(reinterpret_cast<void (*)()>(split))(command_line, words);
}

// Holds the words as typed against what main received. Only where main got
// more arguments than were typed did some pattern become several names.
const char *find_pattern(char **argv) {
    const wchar_t *command_line = GetCommandLineW();
    if (!wcspbrk(command_line, L"*?"))
        return nullptr;
    int argc = 0;
    while (argv[argc])
        ++argc;
    int words = 0;
    wchar_t **typed = typed_words(command_line, &words);
    if (!typed)
        return nullptr;
    const char *pattern = nullptr;
    for (int word = 1, at = 1; words < argc && word <= 2 && word < words && !pattern; ++word) {
        int names = names_of(typed[word], argv, at);
        if (names > 1 && WideCharToMultiByte(CP_ACP, 0, typed[word], -1, typed_pattern,
                                             sizeof typed_pattern, nullptr, nullptr) > 0)
            pattern = typed_pattern;
        at += names;
    }
    LocalFree(typed);
    return pattern;
}

// Identity of an open file: the volume serial number (0 where Windows
// cannot tell it, as for handles that Wine inherits from a Unix shell) and
// the file id. Both files of a comparison are identified one way: the 128-bit
// id where both give it, else the older 64-bit index.
struct file_identity {
    unsigned long long volume;
    unsigned char id[16];
};

bool identify(HANDLE file, bool extended, file_identity &identity) {
    memset(&identity, 0, sizeof identity);
    if (extended) {
        FILE_ID_INFO info;
        if (!GetFileInformationByHandleEx(file, FileIdInfo, &info, sizeof info))
            return false;
        identity.volume = info.VolumeSerialNumber;
        memcpy(identity.id, info.FileId.Identifier, sizeof identity.id);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return false;
    identity.volume = info.dwVolumeSerialNumber;
    memcpy(identity.id, &info.nFileIndexLow, sizeof info.nFileIndexLow);
    memcpy(identity.id + 4, &info.nFileIndexHigh, sizeof info.nFileIndexHigh);
    return true;
}

// 1 when the two handles are one file, 0 when not, -1 when they cannot be
// identified. Equal ids on a volume that one side cannot tell count as one
// file: a refusal is better than a truncated source.
int compare_files(HANDLE one, HANDLE two) {
    const bool ways[] = {true, false};
    for (bool extended : ways) {
        file_identity a, b;
        if (identify(one, extended, a) && identify(two, extended, b)) {
            if (memcmp(a.id, b.id, sizeof a.id) != 0)
                return 0;
            return a.volume == b.volume || a.volume == 0 || b.volume == 0;
        }
    }
    return -1;
}

bool is_disk_file(HANDLE file) {
    return GetFileType(file) == FILE_TYPE_DISK;
}

// Writes bytes of the given code page to the console as UTF-16, each line
// feed as CR LF, as text mode would. What the runtime still holds for
// standard output goes first, so that the order of everything holds.
void write_console(const char *bytes, size_t length, UINT code_page) {
    static wchar_t wide[32768];
    fflush(stdout);
    HANDLE console = handle_of(stdout);
    while (length > 0) {
        const void *end = memchr(bytes, '\n', length);
        size_t line = end ? static_cast<const char *>(end) - bytes : length;
        int units = line == 0 ? 0
                              : MultiByteToWideChar(code_page, 0, bytes, static_cast<int>(line),
                                                    wide, sizeof wide / sizeof *wide);
        DWORD written;
        WriteConsoleW(console, wide, units, &written, nullptr);
        if (line < length) {
            WriteConsoleW(console, L"\r\n", 2, &written, nullptr);
            ++line;
        }
        bytes += line;
        length -= line;
    }
}

} // namespace

// The runtime gives every process its three standard streams.
void keep_standard_streams_apart() {}

const char *pattern_with_several_matches(char **argv) {
    static bool looked;
    static const char *pattern;
    if (!looked) {
        looked = true;
        pattern = find_pattern(argv);
    }
    return pattern;
}

// Text mode would end the input at a byte 0x1A and turn CR LF into LF; the
// filter does the latter itself. Typed input keeps text mode, so that
// Ctrl-Z and Enter still end it.
FILE *binary_stdin() {
    if (!is_console(stdin))
        _setmode(_fileno(stdin), _O_BINARY);
    return stdin;
}

// The runtime does not line-buffer: a console without a buffer gets every
// byte as a write of its own, so it gets one, and its lines are flushed by
// the caller.
int give_buffer(FILE *stream, char *buffer, size_t size) {
    setvbuf(stream, buffer, _IOFBF, size);
    return is_console(stream);
}

int is_directory(FILE *stream) {
    struct _stat info;
    return _fstat(_fileno(stream), &info) == 0 && (info.st_mode & _S_IFDIR);
}

int is_regular_file(FILE *stream) {
    return is_disk_file(handle_of(stream)) && !is_directory(stream);
}

// Windows has no inode numbers: the volume serial number and the file id of
// the two open files name a file. This also sees through another letter case
// and another spelling of one path. Consoles, pipes and devices are left out,
// as character devices are on Unix. The name is opened as the runtime's
// fopen opens it, by its UTF-16 form, so that both reach the same file.
int is_same_file(FILE *stream, const char *name) {
    HANDLE from = handle_of(stream);
    if (!is_disk_file(from))
        return 0;
    static wchar_t wide[32768];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, sizeof wide / sizeof *wide) == 0)
        return -1;
    HANDLE to = CreateFileW(wide, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (to == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
    }
    int same = compare_files(from, to);
    CloseHandle(to);
    return same;
}

int is_same_open_file(FILE *stream, FILE *other) {
    HANDLE one = handle_of(stream), two = handle_of(other);
    return is_disk_file(one) && is_disk_file(two) && compare_files(one, two) != 0;
}

// A console gets the messages as UTF-16, so that their umlauts and the names
// read right whatever its code page. Anywhere else the bytes go out as they
// are: the stored code page 850 texts, and the names as given.
void put_message(const char *bytes, size_t length, int stored) {
    static int console = -1; // looked at once, on the first part of a message
    if (console < 0)
        console = is_console(stdout);
    if (console)
        write_console(bytes, length, stored ? 850 : CP_ACP);
    else
        fwrite(bytes, 1, length, stdout);
}
