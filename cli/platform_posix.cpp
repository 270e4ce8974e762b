#include "platform.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <linux/loop.h>
#include <linux/major.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The pipes that stand in for closed standard streams, by device and inode.
struct stand_in {
    int used;
    dev_t device;
    ino_t inode;
} stand_ins[3];

} // namespace

// A closed descriptor gets the wrong end of a pipe of its own: reading a
// closed standard input or writing a closed standard output still fails. A
// name such as /dev/fd/N that reaches the pipe is known by its identity and
// fails as the closed stream does.
void fill_closed_standard_streams() {
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
        struct stat pipe_info;
        if (fstat(fd, &pipe_info) == 0)
            stand_ins[fd] = {1, pipe_info.st_dev, pipe_info.st_ino};
    }
}

// The words are main's, as the shell gave them; it expands patterns.
const char *command_words(int *, char ***) {
    return nullptr;
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

namespace {

// A regular file or a block device: bytes on a disk.
bool on_disk(mode_t mode) {
    return S_ISREG(mode) || S_ISBLK(mode);
}

// 1 where the record is of the block device node that the loop device
// holds.
bool is_backing_device(const struct stat &node, const loop_info64 &loop) {
    return S_ISBLK(node.st_mode) && node.st_dev == loop.lo_device && node.st_ino == loop.lo_inode;
}

// The block device that an attached loop device shows, where it shows one
// rather than a regular file (a loop over a loop, over a partition): opened
// for reading, which waits for nothing, with *backing its record. Its name,
// from sysfs or else from the loop device's own record, is taken only where
// it still reaches the very node that the loop device holds. -1 where
// there is none.
int open_backing_device(dev_t loop_device, const loop_info64 &loop, struct stat *backing) {
    char path[PATH_MAX] = "";
    char sysfs[64];
    snprintf(sysfs, sizeof sysfs, "/sys/dev/block/%u:%u/loop/backing_file", major(loop_device),
             minor(loop_device));
    FILE *name = fopen(sysfs, "re");
    if (!name || !fgets(path, sizeof path, name))
        snprintf(path, sizeof path, "%.*s", LO_NAME_SIZE, loop.lo_file_name);
    if (name)
        fclose(name);
    path[strcspn(path, "\n")] = '\0';
    if (stat(path, backing) != 0 || !is_backing_device(*backing, loop))
        return -1;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && (fstat(fd, backing) != 0 || !is_backing_device(*backing, loop))) {
        close(fd);
        return -1;
    }
    return fd;
}

// A block device is one disk under every node that names it (/dev/sdb, a
// node made with mknod), so it is identified by its device number, on a
// volume that no file system has. A loop device shows the bytes of a file:
// where fd holds one that is attached, it is identified as that file, so
// that the file under its own name and under the device's, or two devices
// over it, are one file; as a block device where it shows one, to a depth
// of a few.
void identify_block_device(const struct stat &info, int fd, file_info *file, int depth) {
    file->volume = ~0ULL;
    memset(file->id, 0, sizeof file->id);
    memcpy(file->id, &info.st_rdev, sizeof info.st_rdev);
    struct loop_info64 loop;
    if (fd < 0 || major(info.st_rdev) != LOOP_MAJOR || ioctl(fd, LOOP_GET_STATUS64, &loop) != 0)
        return;
    const dev_t device = loop.lo_device;
    const ino_t inode = loop.lo_inode;
    file->volume = device;
    memset(file->id, 0, sizeof file->id);
    memcpy(file->id, &inode, sizeof inode);
    struct stat backing;
    const int backing_fd = depth < 4 ? open_backing_device(info.st_rdev, loop, &backing) : -1;
    if (backing_fd >= 0) {
        identify_block_device(backing, backing_fd, file, depth + 1);
        close(backing_fd);
    }
}

// A file is identified by its device and inode, a block device as above.
// fd is the open file, or -1.
file_info info_of(const struct stat &info, int fd) {
    file_info file = {};
    file.identified = 1;
    file.volume_known = 1;
    file.volume = info.st_dev;
    memcpy(file.id, &info.st_ino, sizeof info.st_ino);
    if (S_ISBLK(info.st_mode))
        identify_block_device(info, fd, &file, 0);
    if (on_disk(info.st_mode))
        file.kind = disk_file;
    else if (S_ISDIR(info.st_mode))
        file.kind = directory;
    else if (S_ISCHR(info.st_mode))
        file.kind = fd >= 0 && isatty(fd) ? terminal : other_device;
    else if (S_ISFIFO(info.st_mode))
        file.kind = pipe_file;
    else
        file.kind = other_file;
    for (const stand_in &pipe : stand_ins) {
        if (pipe.used && pipe.device == info.st_dev && pipe.inode == info.st_ino)
            file.kind = closed_stream;
    }
    return file;
}

} // namespace

file_info identify(FILE *stream) {
    struct stat info;
    if (fstat(fileno(stream), &info) != 0)
        return {unknown_file, 0, 0, 0, {}};
    return info_of(info, fileno(stream));
}

// A block device is opened for reading, which waits for nothing, to ask
// whether it is a loop device; nothing else is opened.
file_info identify_name(const char *name) {
    struct stat info;
    if (stat(name, &info) != 0)
        return {unknown_file, 0, 0, 0, {}};
    const int fd =
        S_ISBLK(info.st_mode) ? open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
    if (fd >= 0 && fstat(fd, &info) != 0) {
        close(fd);
        return {unknown_file, 0, 0, 0, {}};
    }
    file_info file = info_of(info, fd);
    if (fd >= 0)
        close(fd);
    return file;
}

file_info identify_fifo(const char *name) {
    struct stat info;
    if (stat(name, &info) != 0 || !S_ISFIFO(info.st_mode))
        return {unknown_file, 0, 0, 0, {}};
    return info_of(info, -1);
}

int names_stream(const char *name, FILE *stream) {
    struct stat held, named;
    return fstat(fileno(stream), &held) == 0 && !on_disk(held.st_mode) && stat(name, &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

FILE *open_source_file(const char *name) {
    return fopen(name, "rb");
}

// As fopen's "w", less the truncation: O_CREAT also makes the kernel's
// protections for files in sticky folders apply, as they do to the shell's
// >, and O_NOCTTY keeps a terminal from becoming the run's own. Every file
// that can be opened is identified here, so whether it was made never
// decides anything.
FILE *open_target_file(const char *name, int *made) {
    *made = 0;
    int fd = open(name, O_WRONLY | O_CREAT | O_NOCTTY, 0666);
    FILE *target = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (fd >= 0 && !target)
        close(fd);
    return target;
}

int can_be_cut(FILE *stream) {
    struct stat info;
    return fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
}

// Only a regular file is cut: a block device keeps its size.
int cut_at_position(FILE *target) {
    const int fd = fileno(target);
    struct stat info;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || flags < 0)
        return 1;
    if (!S_ISREG(info.st_mode) || (flags & O_APPEND))
        return 0;
    const off_t position = lseek(fd, 0, SEEK_CUR);
    return position < 0 || ftruncate(fd, position) != 0;
}

// A read error on POSIX is never the end.
int source_ended(FILE *) {
    return 0;
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

} // namespace

// Looked at once, on the first part of a message.
message_terminal message_shown_on() {
    static int utf8 = -1;
    if (utf8 < 0)
        utf8 = terminal_takes_utf8();
    if (!isatty(STDOUT_FILENO))
        return no_terminal;
    return utf8 ? unicode_terminal : byte_terminal;
}

// Every part goes out as it is: the stored texts come converted where a
// terminal shows UTF-8.
void put_message(const char *bytes, size_t length, message_part) {
    fwrite(bytes, 1, length, stdout);
}
