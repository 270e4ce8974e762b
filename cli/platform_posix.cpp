#include "platform.h"

#include <cerrno>
#include <clocale>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

// A closed descriptor gets /dev/null opened the wrong way round: reading a
// closed standard input or writing a closed standard output still fails.
void keep_standard_streams_apart() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
    }
}

int is_directory(FILE *stream) {
    struct stat info;
    return fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode);
}

// Same device and inode. Character devices are left out: a terminal or
// /dev/null on both sides loses nothing.
int is_same_file(FILE *source, const char *target_name) {
    struct stat from, to;
    if (fstat(fileno(source), &from) != 0 || stat(target_name, &to) != 0)
        return 0;
    return from.st_dev == to.st_dev && from.st_ino == to.st_ino && !S_ISCHR(from.st_mode);
}

int is_terminal(FILE *stream) {
    return isatty(fileno(stream));
}

int console_takes_utf8() {
    if (!isatty(STDOUT_FILENO) || !setlocale(LC_CTYPE, ""))
        return 0;
    return strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}
