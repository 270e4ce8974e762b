#include "platform.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

// The words of the command line are taken from the runtime's split of it in
// UTF-16, which holds every character as typed, never from its narrow
// copy in the ANSI code page. The narrow start-up is told to leave patterns
// alone, so that it touches no file.
extern "C" {
int _dowildcard = 0;
int __wgetmainargs(int *argc, wchar_t ***argv, wchar_t ***env, int wildcards, void *startup);
}

namespace {

// The longest command line in UTF-16 units, and the longest path that a
// match makes of a pattern's folder and a name found in it.
constexpr int longest_line = 32768;
constexpr int longest_path = longest_line + MAX_PATH;

HANDLE handle_of(FILE *stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// A real console: GetConsoleMode works on nothing else, where the handle
// may read; a console opened only for writing, such as CON as a target,
// takes a write of nothing, which fails anywhere else. The runtime also
// takes the NUL device for a terminal.
bool is_console(HANDLE handle) {
    DWORD mode, written;
    return GetConsoleMode(handle, &mode) || WriteConsoleW(handle, L"", 0, &written, nullptr);
}

bool is_console(FILE *stream) {
    return is_console(handle_of(stream));
}

bool utf8_code_page() {
    return GetACP() == CP_UTF8;
}

// UTF-16 in UTF-8, the form of every word that main sees. A lone surrogate,
// which a Windows file name may hold, takes the three-byte form of its code
// unit, so that each word converts back to the very same UTF-16. Null where
// memory ran out.
char *utf8_of(const wchar_t *wide) {
    const size_t units = wcslen(wide);
    char *bytes = static_cast<char *>(malloc(3 * units + 1));
    if (!bytes)
        return nullptr;
    unsigned char *out = reinterpret_cast<unsigned char *>(bytes);
    for (size_t i = 0; i < units; ++i) {
        unsigned long c = wide[i];
        const bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < units && wide[i + 1] >= 0xDC00 &&
                          wide[i + 1] < 0xE000;
        if (pair)
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static const unsigned char leads[] = {0x00, 0xC0, 0xE0, 0xF0};
        *out++ = static_cast<unsigned char>(leads[more] | c >> (6 * more));
        for (int shift = 6 * (more - 1); shift >= 0; shift -= 6)
            *out++ = static_cast<unsigned char>(0x80 | (c >> shift & 0x3F));
    }
    *out = '\0';
    return bytes;
}

// Back from utf8_of's form to UTF-16, at most room - 1 units and a NUL;
// returns the units. A byte that starts no such form becomes U+FFFD.
size_t utf16_of(const char *bytes, size_t length, wchar_t *wide, size_t room) {
    const unsigned char *in = reinterpret_cast<const unsigned char *>(bytes);
    size_t units = 0;
    for (size_t i = 0; i < length && units + 2 < room;) {
        const unsigned char lead = in[i];
        const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        unsigned long c = lead & (0x7F >> more);
        int taken = 1;
        while (taken <= more && i + taken < length && (in[i + taken] & 0xC0) == 0x80)
            c = c << 6 | (in[i + taken++] & 0x3F);
        if ((lead >= 0x80 && lead < 0xC0) || lead >= 0xF8 || taken <= more)
            c = 0xFFFD, taken = 1;
        if (c >= 0x10000) {
            wide[units++] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            c = 0xDC00 + ((c - 0x10000) & 0x3FF);
        }
        wide[units++] = static_cast<wchar_t>(c);
        i += taken;
    }
    wide[units] = L'\0';
    return units;
}

// A word's UTF-16 form, by which a source or target is opened: on every
// Windows a name then reaches the file of that name or none.
const wchar_t *wide_name(const char *name) {
    static wchar_t wide[longest_path];
    utf16_of(name, strlen(name), wide, longest_path);
    return wide;
}

// The words that main is given, grown as they come.
struct {
    char **words;
    int count, room;
} expanded;

// Appends the UTF-8 form of a word to the vector, which stays
// null-terminated. False where memory ran out.
bool add_word(const wchar_t *wide) {
    if (expanded.count + 2 > expanded.room) {
        int room = expanded.room ? 2 * expanded.room : 16;
        char **more = static_cast<char **>(realloc(expanded.words, room * sizeof *more));
        if (!more)
            return false;
        expanded.words = more;
        expanded.room = room;
    }
    char *word = utf8_of(wide);
    if (!word)
        return false;
    expanded.words[expanded.count++] = word;
    expanded.words[expanded.count] = nullptr;
    return true;
}

// A match as a word: the folder part of the pattern, as typed, and the name
// found. A name that begins with - is written .\-..., so that a file named
// - or -l is taken for that file, never for a standard stream or an option.
const wchar_t *match_name(const wchar_t *pattern, const wchar_t *found) {
    static wchar_t path[longest_path];
    const wchar_t *file_part = pattern;
    for (const wchar_t *c = pattern; *c; ++c) {
        if (*c == L'\\' || *c == L'/' || *c == L':')
            file_part = c + 1;
    }
    wmemcpy(path, pattern, file_part - pattern);
    wchar_t *name = path + (file_part - pattern);
    if (file_part == pattern && found[0] == L'-')
        name = wcscpy(name, L".\\") + 2;
    wcscpy(name, found);
    return path;
}

// Appends the files that the pattern matches, but for . and .., as the
// runtime's expansion would. In the source or the target position it stops
// at the second match, which is enough to refuse the run, and appends
// nothing. Returns how many files matched: 0 also where memory ran out, and
// then nothing is appended.
int expand(const wchar_t *pattern, int at) {
    const bool name_position = at <= 2;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    const int before = expanded.count;
    int matches = 0;
    do {
        const wchar_t *file = found.cFileName;
        if (wcscmp(file, L".") == 0 || wcscmp(file, L"..") == 0)
            continue;
        if (++matches == 2 && name_position)
            break;
        if (!add_word(match_name(pattern, file))) {
            matches = 0;
            break;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if ((matches == 0 || (name_position && matches > 1)) && expanded.count > before) {
        expanded.count = before;
        expanded.words[before] = nullptr;
    }
    return matches;
}

// GetFileInformationByHandleEx of Windows Vista and later, asked for by name
// at run time, so that tarvo.exe still starts where kernel32 lacks it. It
// gives the 128-bit file id of Windows 8 and later, and it is what Wine
// answers for a handle that it inherited from a Unix shell, where
// GetFileInformationByHandle fails.
bool info_by_handle_ex(HANDLE handle, int info_class, void *info, DWORD size) {
    using call_type = BOOL(WINAPI *)(HANDLE, int, void *, DWORD);
    static const auto call = reinterpret_cast<call_type>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFileInformationByHandleEx")));
    return call && call(handle, info_class, info, size);
}

// The parts of FILE_BASIC_INFO and FILE_ID_INFO that are read.
struct basic_info {
    LARGE_INTEGER times[4];
    DWORD attributes;
};
constexpr int basic_info_class = 0; // FileBasicInfo
struct id_info {
    ULONGLONG volume;
    BYTE id[16];
};
constexpr int id_info_class = 18; // FileIdInfo

// What the handle is. A file on a disk is identified by its volume serial
// number (0 where Windows cannot tell it, as for handles that Wine inherits
// from a Unix shell) and its file id: the 128-bit id where the file system
// gives it, else the 64-bit index, which one file system gives alike for all
// its files. A console is one file with any other handle to it. A pipe, a
// socket or another device cannot be told from another.
file_info info_of(HANDLE handle) {
    file_info file = {};
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK: {
        BY_HANDLE_FILE_INFORMATION info;
        basic_info basic;
        id_info id;
        const bool have_info = GetFileInformationByHandle(handle, &info);
        const bool have_basic =
            !have_info && info_by_handle_ex(handle, basic_info_class, &basic, sizeof basic);
        const DWORD attributes = have_info    ? info.dwFileAttributes
                                 : have_basic ? basic.attributes
                                              : 0;
        file.kind = attributes & FILE_ATTRIBUTE_DIRECTORY ? directory : disk_file;
        if (info_by_handle_ex(handle, id_info_class, &id, sizeof id)) {
            file.volume = id.volume;
            memcpy(file.id, id.id, sizeof file.id);
        } else if (have_info) {
            file.volume = info.dwVolumeSerialNumber;
            memcpy(file.id, &info.nFileIndexLow, sizeof info.nFileIndexLow);
            memcpy(file.id + 4, &info.nFileIndexHigh, sizeof info.nFileIndexHigh);
        } else {
            return file;
        }
        file.identified = 1;
        file.volume_known = file.volume != 0;
        return file;
    }
    case FILE_TYPE_CHAR:
        file.kind = is_console(handle) ? terminal : other_device;
        file.identified = file.kind == terminal;
        return file;
    case FILE_TYPE_PIPE:
        file.kind = pipe_file;
        return file;
    default:
        file.kind = unknown_file;
        return file;
    }
}

// Writes UTF-16 to the console, each line feed as CR LF, as text mode
// would. What the runtime still holds for standard output goes first, so
// that the order of everything holds.
void write_console(const wchar_t *text, size_t units) {
    fflush(stdout);
    HANDLE console = handle_of(stdout);
    while (units > 0) {
        const wchar_t *end = wmemchr(text, L'\n', units);
        size_t line = end ? end - text : units;
        DWORD written;
        WriteConsoleW(console, text, static_cast<DWORD>(line), &written, nullptr);
        if (line < units) {
            WriteConsoleW(console, L"\r\n", 2, &written, nullptr);
            ++line;
        }
        text += line;
        units -= line;
    }
}

// /? and -? are how Windows users ask for help, never patterns: as one,
// /? (or \?) would match every one-letter name in the drive's root and -?
// a file named -l.
bool asks_for_help(const wchar_t *word) {
    return wcscmp(word, L"/?") == 0 || wcscmp(word, L"\\?") == 0 || wcscmp(word, L"-?") == 0;
}

} // namespace

// The runtime gives every process its three standard streams.
void fill_closed_standard_streams() {}

// The words as the runtime's UTF-16 split gives them, each in UTF-8. Each
// that holds * or ? is matched with FindFirstFileW, which takes them in a
// name's last part only; one that matches nothing stays as typed. After one
// in the source or the target position that matches several files, the
// words stay as typed.
// Where the split or memory fails, main is given no words, which changes
// no file.
const char *command_words(int *argc, char ***argv) {
    int count = 0, startup = 0;
    wchar_t **words, **environment;
    if (__wgetmainargs(&count, &words, &environment, 0, &startup) < 0)
        count = 0;
    const char *several = nullptr;
    for (int at = 0; at < count; ++at) {
        const wchar_t *word = words[at];
        const bool pattern = at > 0 && !several && wcspbrk(word, L"*?") && !asks_for_help(word);
        const int matches = pattern ? expand(word, at) : 0;
        if (matches == 1 || (matches > 1 && at > 2))
            continue;
        if (!add_word(word)) {
            *argc = 0;
            return nullptr;
        }
        if (matches > 1)
            several = expanded.words[expanded.count - 1];
    }
    *argc = expanded.count;
    *argv = expanded.words;
    return several;
}

// Windows has no SIGPIPE: a write to a pipe whose reader went away fails.
void keep_running_without_stdout() {}

// Text mode would end the input at a byte 0x1A and turn CR LF into LF; the
// filter does the latter itself. Typed input keeps text mode, so that
// Ctrl-Z and Enter still end it.
FILE *binary_stdin() {
    if (!is_console(stdin))
        _setmode(_fileno(stdin), _O_BINARY);
    return stdin;
}

// The target and standard output are left in text mode.
int target_writes_crlf() {
    return 1;
}

// The runtime does not line-buffer: a console without a buffer gets every
// byte as a write of its own, so it gets one, and its lines are flushed by
// the writer.
void give_buffer(FILE *stream, char *buffer, size_t size) {
    setvbuf(stream, buffer, _IOFBF, size);
}

int needs_line_flush(FILE *stream) {
    return is_console(stream);
}

file_info identify(FILE *stream) {
    return info_of(handle_of(stream));
}

// The name is opened without access rights, only to be identified.
file_info identify_name(const char *name) {
    HANDLE file =
        CreateFileW(wide_name(name), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {unknown_file, 0, 0, 0, {}};
    file_info info = info_of(file);
    CloseHandle(file);
    return info;
}

// Opening a named pipe never waits: it fails where no instance is free.
file_info identify_fifo(const char *) {
    return {unknown_file, 0, 0, 0, {}};
}

// A console, the one kind of stream that Windows identifies beyond disk
// files, is told from the handle once its name is opened.
int names_stream(const char *, FILE *) {
    return 0;
}

// Opened by its UTF-16 name. A console keeps text mode, so that Ctrl-Z and
// Enter end typed input as they do on standard input.
FILE *open_source_file(const char *name) {
    FILE *source = _wfopen(wide_name(name), L"rb");
    if (source && is_console(source))
        _setmode(_fileno(source), _O_TEXT);
    return source;
}

// Opened once, by its UTF-16 name, so that a named pipe serves this open
// and no probe before it; created where it is missing, and not emptied.
FILE *open_target_file(const char *name, int *made) {
    HANDLE file = CreateFileW(wide_name(name), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    *made = file != INVALID_HANDLE_VALUE && GetLastError() != ERROR_ALREADY_EXISTS;
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT);
    if (fd < 0) {
        CloseHandle(file);
        return nullptr;
    }
    FILE *target = _fdopen(fd, "w");
    if (!target)
        _close(fd);
    return target;
}

// Standard output is left as the shell made it: the command prompt's >>
// puts it at the end of its file and > empties the file, and a handle that
// Wine inherits from a Unix shell can neither be cut nor tell whether it
// appends.
int cut_at_position(FILE *target) {
    HANDLE file = handle_of(target);
    if (target == stdout || GetFileType(file) != FILE_TYPE_DISK)
        return 0;
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0 || !SetEndOfFile(file);
}

// A file on a disk; standard output, which is never cut, is always one
// where it is a file.
int can_be_cut(FILE *stream) {
    return GetFileType(handle_of(stream)) == FILE_TYPE_DISK;
}

// The documented end of a named pipe's server: it writes, flushes and
// disconnects, and the next read fails as not connected.
int source_ended(FILE *source) {
    HANDLE pipe = handle_of(source);
    DWORD available;
    if (GetFileType(pipe) != FILE_TYPE_PIPE ||
        PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
        return 0;
    const DWORD error = GetLastError();
    return error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_BROKEN_PIPE;
}

// The console is given UTF-16: a name's bytes become characters there, and
// only the UTF-8 forms of the C1 controls are controls.
message_terminal message_shown_on() {
    return is_console(stdout) ? unicode_terminal : no_terminal;
}

// A console gets the messages as UTF-16, made from the UTF-8 that it is
// given, so that the umlauts and the names read right whatever its code
// page. Anywhere else the stored code page 850 texts go out as they are,
// and the names in the ANSI code page, where a character that it lacks is
// a ?: only what is shown is converted.
void put_message(const char *bytes, size_t length, message_part part) {
    static int console = -1; // looked at once, on the first part of a message
    static wchar_t wide[longest_path];
    static char shown[4 * longest_path];
    if (console < 0)
        console = is_console(stdout);
    if (part == stored_text && !console) {
        fwrite(bytes, 1, length, stdout);
        return;
    }
    const size_t units = utf16_of(bytes, length, wide, longest_path);
    if (console) {
        write_console(wide, units);
        return;
    }
    const DWORD flags = utf8_code_page() ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, static_cast<int>(units), shown,
                                         sizeof shown, nullptr, nullptr);
    fwrite(shown, 1, size, stdout);
}
