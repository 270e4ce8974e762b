#include "platform.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

// The runtime's start-up is told to leave wildcard patterns as typed:
// expand_wildcards expands them itself, so that the one expansion also sees
// which of them stand for several names.
extern "C" {
int _dowildcard = 0;
// The runtime's split of the command line, in UTF-16.
int __wgetmainargs(int *argc, wchar_t ***argv, wchar_t ***env, int wildcards, void *startup);
}

namespace {

// The longest command line in UTF-16 units.
constexpr int longest_line = 32768;

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

// Main's word in UTF-16, to be matched. Where the ANSI code page is UTF-8
// the word converts without loss. Under any other code page, a ? in main's
// words may stand for a character that the code page lacks, and only the
// runtime's own UTF-16 split of the same command line says which: where
// that cannot be had, null, so that the word is taken as typed.
const wchar_t *wide_word(int argc, char **argv, int at) {
    static wchar_t word[longest_line];
    if (utf8_code_page())
        return MultiByteToWideChar(CP_UTF8, 0, argv[at], -1, word, longest_line) > 0 ? word
                                                                                     : nullptr;
    static int count = -1;
    static wchar_t **words;
    if (count < 0) {
        int startup = 0;
        wchar_t **environment;
        if (__wgetmainargs(&count, &words, &environment, 0, &startup) != 0)
            count = 0;
    }
    return count == argc ? words[at] : nullptr;
}

// The source's and the target's words with their UTF-16 form, by which
// they are opened: on every Windows a name then reaches the file of that
// name or none, never one that the ANSI code page's best fit makes of it.
struct wide_form {
    const char *word;
    wchar_t wide[longest_line + MAX_PATH];
} wide_forms[2];

void remember_wide(int at, const char *word, const wchar_t *wide) {
    wide_forms[at - 1].word = word;
    wcsncpy(wide_forms[at - 1].wide, wide, longest_line + MAX_PATH - 1);
}

// The UTF-16 form of a source or target word; any other word as the runtime
// would convert it.
const wchar_t *wide_name(const char *name) {
    for (const wide_form &form : wide_forms) {
        if (form.word == name)
            return form.wide;
    }
    static wchar_t converted[longest_line];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, converted, longest_line) == 0)
        converted[0] = L'\0';
    return converted;
}

// The words that main is given after the expansion, grown as matches come.
struct {
    char **words;
    int count, room;
} expanded;

// Appends a word to the expanded vector, which stays null-terminated. False
// where memory ran out.
bool add_word(char *word) {
    if (expanded.count + 2 > expanded.room) {
        int room = expanded.room ? 2 * expanded.room : 16;
        char **more = static_cast<char **>(realloc(expanded.words, room * sizeof *more));
        if (!more)
            return false;
        expanded.words = more;
        expanded.room = room;
    }
    expanded.words[expanded.count++] = word;
    expanded.words[expanded.count] = nullptr;
    return true;
}

// A match as main's word: the directory part of the pattern, as typed, and
// the name found, in the ANSI code page; *wide is its UTF-16 form, by which
// a source or target is opened. A character that the code page lacks (on
// Windows before 10 version 1903, which ignores the manifest's UTF-8) shows
// as ? in the word, which only messages and the option scan read. A source
// or target named - is written .\-, so that it is taken for that file, not
// for a standard stream. Null where memory ran out.
char *match_name(const wchar_t *pattern, const wchar_t *found, bool name_position,
                 const wchar_t **wide) {
    static wchar_t path[longest_line + MAX_PATH];
    const wchar_t *file_part = pattern;
    for (const wchar_t *c = pattern; *c; ++c) {
        if (*c == L'\\' || *c == L'/' || *c == L':')
            file_part = c + 1;
    }
    wmemcpy(path, pattern, file_part - pattern);
    wchar_t *name = path + (file_part - pattern);
    if (name_position && file_part == pattern && wcscmp(found, L"-") == 0)
        name = wcscpy(name, L".\\") + 2;
    wcscpy(name, found);
    const DWORD flags = utf8_code_page() ? 0 : WC_NO_BEST_FIT_CHARS;
    int size = WideCharToMultiByte(CP_ACP, flags, path, -1, nullptr, 0, nullptr, nullptr);
    char *bytes = size > 0 ? static_cast<char *>(malloc(size)) : nullptr;
    if (bytes && WideCharToMultiByte(CP_ACP, flags, path, -1, bytes, size, nullptr, nullptr) == 0) {
        free(bytes);
        bytes = nullptr;
    }
    *wide = path;
    return bytes;
}

// Appends the files that the pattern matches, but for . and .., as the
// runtime's expansion would. In the source or the target position it stops
// at the second match, which is enough to refuse the run. Returns how many
// files matched: 0 also where memory ran out, and then nothing is appended.
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
        const wchar_t *wide = nullptr;
        char *name = match_name(pattern, file, name_position, &wide);
        if (!name || !add_word(name)) {
            matches = 0;
            break;
        }
        if (name_position)
            remember_wide(at, name, wide);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (matches == 0 && expanded.count > before) {
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

// Writes bytes of the given code page to the console as UTF-16, each line
// feed as CR LF, as text mode would. What the runtime still holds for
// standard output goes first, so that the order of everything holds.
void write_console(const char *bytes, size_t length, UINT code_page) {
    static wchar_t wide[longest_line];
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

// /? and -? are how Windows users ask for help, never patterns: as one,
// /? (or \?) would match every one-letter name in the drive's root and -?
// a file named -l.
bool asks_for_help(const wchar_t *word) {
    return wcscmp(word, L"/?") == 0 || wcscmp(word, L"\\?") == 0 || wcscmp(word, L"-?") == 0;
}

} // namespace

// The runtime gives every process its three standard streams.
void fill_closed_standard_streams() {}

// Each word that holds * or ? in its last part is matched with
// FindFirstFileW; one that matches nothing stays as typed. One in the
// source or the target position that matches several files stops the
// expansion, and the vector stays as typed.
const char *expand_wildcards(int *argc, char ***argv) {
    const int typed = *argc;
    for (int at = 0; at < typed; ++at) {
        const wchar_t *pattern = at > 0 ? wide_word(typed, *argv, at) : nullptr;
        if (pattern && wcspbrk(pattern, L"*?") && !asks_for_help(pattern)) {
            int matches = expand(pattern, at);
            if (matches > 1 && at <= 2)
                return (*argv)[at];
            if (matches > 0)
                continue;
        }
        if (!add_word((*argv)[at]))
            return nullptr; // no memory: the words as typed
        if ((at == 1 || at == 2) && pattern)
            remember_wide(at, (*argv)[at], pattern);
    }
    *argc = expanded.count;
    *argv = expanded.words;
    return nullptr;
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
int empty_target(FILE *target) {
    HANDLE file = handle_of(target);
    if (target == stdout || GetFileType(file) != FILE_TYPE_DISK)
        return 0;
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0 || !SetEndOfFile(file);
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
    return is_console(stdout) ? utf8_terminal : no_terminal;
}

// A console gets the messages as UTF-16, so that their umlauts and the names
// read right whatever its code page. Anywhere else the bytes go out as they
// are: the stored code page 850 texts, and the names as given.
void put_message(const char *bytes, size_t length, message_part part) {
    static int console = -1; // looked at once, on the first part of a message
    if (console < 0)
        console = is_console(stdout);
    if (console)
        write_console(bytes, length, part == stored_text ? 850 : CP_ACP);
    else
        fwrite(bytes, 1, length, stdout);
}
