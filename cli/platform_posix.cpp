#include "platform.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

// A closed descriptor gets the wrong end of a pipe of its own: reading a
// closed standard input or writing a closed standard output still fails, and
// no name but /dev/fd/N reaches that pipe.
void keep_standard_streams_apart() {
    for (int fd = 0; fd <= 2; ++fd) {
        int ends[2];
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF || pipe(ends) != 0)
            continue;
        int wrong = fd == 0 ? ends[1] : ends[0], other = fd == 0 ? ends[0] : ends[1];
        if (wrong != fd) {
            dup2(wrong, fd); // also closes other, where that took fd
            close(wrong);
        }
        if (other != fd)
            close(other);
    }
}

// The shell expands patterns before the tool starts.
int expand_wildcards(int *, char ***) {
    return 0;
}

void keep_running_without_stdout() {
    signal(SIGPIPE, SIG_IGN);
}

FILE *binary_stdin() {
    return stdin;
}

int target_writes_crlf() {
    return 0;
}

// A terminal keeps the C library's line buffering, so that output shows as
// it is made.
void give_buffer(FILE *stream, char *buffer, size_t size) {
    if (!isatty(fileno(stream)))
        setvbuf(stream, buffer, _IOFBF, size);
}

int needs_line_flush(FILE *) {
    return 0;
}

int is_directory(FILE *stream) {
    struct stat info;
    return fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode);
}

int is_regular_file(FILE *stream) {
    struct stat info;
    return fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
}

// Same device and inode. Character devices are left out: a terminal or
// /dev/null on both sides loses nothing.
int is_same_file(FILE *stream, const char *name) {
    struct stat from, to;
    if (fstat(fileno(stream), &from) != 0 || S_ISCHR(from.st_mode))
        return 0;
    if (stat(name, &to) != 0)
        return errno == ENOENT ? 0 : -1;
    return from.st_dev == to.st_dev && from.st_ino == to.st_ino;
}

int names_stream(const char *name, FILE *stream) {
    struct stat file, named;
    return fstat(fileno(stream), &file) == 0 && stat(name, &named) == 0 &&
           file.st_dev == named.st_dev && file.st_ino == named.st_ino;
}

int is_same_open_file(FILE *stream, FILE *other) {
    struct stat one, two;
    return fstat(fileno(stream), &one) == 0 && fstat(fileno(other), &two) == 0 &&
           S_ISREG(one.st_mode) && S_ISREG(two.st_mode) && one.st_dev == two.st_dev &&
           one.st_ino == two.st_ino;
}

namespace {

// True when the codeset part of a locale name such as de_DE.UTF-8@euro is
// UTF-8, however it is spelt.
bool names_utf8(const char *locale) {
    const char *dot = strchr(locale, '.');
    if (!dot)
        return false;
    size_t length = strcspn(dot + 1, "@");
    return (length == 5 && strncasecmp(dot + 1, "UTF-8", 5) == 0) ||
           (length == 4 && strncasecmp(dot + 1, "utf8", 4) == 0);
}

// 1 when standard output is a terminal that shows UTF-8. Where the locale is
// not installed, as on many a minimal server, its name still says what the
// terminal shows: the first of LC_ALL, LC_CTYPE and LANG that is set.
int terminal_takes_utf8() {
    if (!isatty(STDOUT_FILENO))
        return 0;
    if (setlocale(LC_CTYPE, ""))
        return strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    const char *const variables[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (const char *variable : variables) {
        const char *value = getenv(variable);
        if (value && *value)
            return names_utf8(value);
    }
    return 0;
}

// The three code page 850 characters of the stored texts, and their UTF-8.
const struct {
    unsigned char stored;
    const char *utf8;
} umlauts[] = {{0201, "\303\274"}, {0341, "\303\237"}, {0224, "\303\266"}};

// The UTF-8 form of a stored byte, or null where it is ASCII.
const char *as_utf8(unsigned char c) {
    for (const auto &umlaut : umlauts) {
        if (umlaut.stored == c)
            return umlaut.utf8;
    }
    return nullptr;
}

} // namespace

// On a UTF-8 terminal the three code page 850 characters of the stored texts
// are shown as UTF-8; anywhere else the bytes go out as they are.
void put_message(const char *bytes, size_t length, message_part part) {
    static int utf8 = -1; // looked at once, on the first part of a message
    if (utf8 < 0)
        utf8 = terminal_takes_utf8();
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        const char *shown = utf8 && part == stored_text ? as_utf8(c) : nullptr;
        if (shown)
            fputs(shown, stdout);
        else
            putchar(c);
    }
}
