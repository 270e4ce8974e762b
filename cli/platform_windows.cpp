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

// The longest command line in UTF-16 units, and the longest name that a
// match makes of it, in bytes of the ANSI code page.
constexpr int longest_line = 32768;
constexpr int longest_name = 3 * (longest_line + MAX_PATH);

HANDLE handle_of(FILE *stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// A real console: GetConsoleMode works on nothing else. The runtime also
// takes the NUL device for a terminal.
bool is_console(FILE *stream) {
    DWORD mode;
    return GetConsoleMode(handle_of(stream), &mode) != 0;
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

// A match as main's word: the directory part of the pattern, as typed, and
// the name found, in the ANSI code page. Null where the code page cannot
// hold it without loss.
char *match_name(const wchar_t *pattern, const wchar_t *found) {
    static char names[3][longest_name]; // the source, the target, a surplus name
    static int made;
    static wchar_t path[longest_line + MAX_PATH];
    const wchar_t *file_part = pattern;
    for (const wchar_t *c = pattern; *c; ++c) {
        if (*c == L'\\' || *c == L'/' || *c == L':')
            file_part = c + 1;
    }
    if (made == 3)
        return nullptr;
    wmemcpy(path, pattern, file_part - pattern);
    wcscpy(path + (file_part - pattern), found);
    bool utf8 = utf8_code_page();
    BOOL lost = FALSE;
    if (WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, path, -1, names[made],
                            longest_name, nullptr, utf8 ? nullptr : &lost) == 0 ||
        lost)
        return nullptr;
    return names[made++];
}

// Appends the files that the pattern matches, but for . and .., to words,
// as the runtime's expansion would. In the source or the target position
// it stops at the second match, which is enough to refuse the run. In
// option position only what a run can use is kept: -l and -v, and the first
// name that does not begin with -, at which the run stops anyway. Returns
// how many files matched: 0 also where a name cannot be held.
int expand(const wchar_t *pattern, bool option, char **words, int *count) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int matches = 0;
    bool enough = false;
    do {
        const wchar_t *file = found.cFileName;
        if (wcscmp(file, L".") == 0 || wcscmp(file, L"..") == 0)
            continue;
        if (++matches == 2 && !option)
            break;
        if (option && file[0] == L'-') {
            if (wcscmp(file, L"-l") == 0 || wcscmp(file, L"-v") == 0)
                words[(*count)++] = const_cast<char *>(file[1] == L'l' ? "-l" : "-v");
            continue;
        }
        char *name = match_name(pattern, file);
        if (!name) {
            matches = 0;
            break;
        }
        words[(*count)++] = name;
        enough = option;
    } while (!enough && FindNextFileW(search, &found));
    FindClose(search);
    return matches;
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

// True when Windows takes the name for a device (CON, NUL, PRN, COM1, and
// nul.html where Windows still reads it as NUL): it turns such a name into a
// device path, \\.\NAME, that was not typed; CONIN$ and CONOUT$ are
// device names as they stand.
bool names_device(const wchar_t *name) {
    static wchar_t full[longest_line];
    DWORD length = GetFullPathNameW(name, longest_line, full, nullptr);
    if (length > 4 && length < longest_line && wcsncmp(full, L"\\\\.\\", 4) == 0 &&
        wcsncmp(name, L"\\\\", 2) != 0)
        return true;
    return _wcsicmp(name, L"CONIN$") == 0 || _wcsicmp(name, L"CONOUT$") == 0;
}

// Opens a name without access rights, only to identify its file, as the
// runtime's fopen reaches it: by its UTF-16 form. Returns 1 with the file
// open; 0 where the name reaches no file, or a device, which is never a
// disk file; -1 where a file is there but cannot be opened.
int open_to_identify(const char *name, HANDLE *file) {
    static wchar_t wide[longest_line];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, longest_line) == 0)
        return -1;
    if (names_device(wide))
        return 0;
    *file = CreateFileW(wide, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (*file != INVALID_HANDLE_VALUE)
        return 1;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
}

} // namespace

// The runtime gives every process its three standard streams.
void keep_standard_streams_apart() {}

// Each word that holds * or ? in its last part is matched with
// FindFirstFileW; one that matches nothing stays as typed, as does one in
// the source or the target position that matches several files, where the
// expansion stops.
int expand_wildcards(int *argc, char ***argv) {
    int typed = *argc;
    // At most -l, -v and a name for each word.
    char **words = static_cast<char **>(malloc((3 * typed + 1) * sizeof *words));
    if (!words)
        return 0;
    int count = 0;
    for (int at = 0; at < typed; ++at) {
        const wchar_t *pattern = at > 0 ? wide_word(typed, *argv, at) : nullptr;
        int before = count;
        if (pattern && wcspbrk(pattern, L"*?")) {
            int matches = expand(pattern, at > 2, words, &count);
            if (matches > 1 && at <= 2) {
                words[before] = (*argv)[at];
                words[before + 1] = nullptr;
                *argc = before + 1;
                *argv = words;
                return 1;
            }
            if (matches > 0)
                continue;
        }
        count = before;
        words[count++] = (*argv)[at];
    }
    words[count] = nullptr;
    *argc = count;
    *argv = words;
    return 0;
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
    HANDLE to;
    int opened = open_to_identify(name, &to);
    if (opened <= 0)
        return opened;
    int same = is_disk_file(to) ? compare_files(from, to) : 0;
    CloseHandle(to);
    return same;
}

int names_stream(const char *name, FILE *stream) {
    HANDLE file = handle_of(stream);
    if (!is_disk_file(file))
        return 0;
    HANDLE named;
    if (open_to_identify(name, &named) <= 0)
        return 0;
    int same = is_disk_file(named) && compare_files(file, named) == 1;
    CloseHandle(named);
    return same;
}

int is_same_open_file(FILE *stream, FILE *other) {
    HANDLE one = handle_of(stream), two = handle_of(other);
    return is_disk_file(one) && is_disk_file(two) && compare_files(one, two) != 0;
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
