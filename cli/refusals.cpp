#include "refusals.h"
#include "tarvo.h"

#include <cstring>

// Windows cannot name the volume of a handle that Wine inherits from a Unix
// shell; the file id alone then decides. A Windows console, whose id is all
// zeros, is one file with every other console handle.
sameness compare_files(const file_info &one, const file_info &other) {
    if (!one.identified || !other.identified)
        return one.kind == disk_file && other.kind == disk_file ? cannot_tell : different_files;
    if (one.kind != other.kind || memcmp(one.id, other.id, sizeof one.id) != 0)
        return different_files;
    if (one.volume_known && other.volume_known && one.volume != other.volume)
        return different_files;
    return one_file;
}

int stdout_is_source(const run_files &files) {
    return files.out.kind == disk_file && compare_files(files.out, files.source) != different_files;
}

// A FIFO waits in its open for a writer. Where the target's name reaches
// the same FIFO, that writer could only be this run, which is still
// waiting: 2, as the open files would give, without the wait for ever.
int refuse_names(const file_info &source, const file_info &target) {
    return source.kind == pipe_file && compare_files(source, target) == one_file ? same_file : 0;
}

// In this order:
//   the source is a directory                                 3
//   the source is a closed standard stream                    5
//   the source is the pipe that standard output or error
//   writes, which the run would wait on for ever              5
//   standard output is the source's file                      2, without a word
// A socket reads what its peer sends, so one socket that carries both
// standard streams is a source like any other.
int refuse_source(const run_files &files) {
    const file_info &source = files.source;
    if (source.kind == directory)
        return source_unreadable;
    if (source.kind == closed_stream)
        return read_failed;
    if (source.kind == pipe_file && (compare_files(source, files.out) == one_file ||
                                     compare_files(source, files.err) == one_file))
        return read_failed;
    if (stdout_is_source(files))
        return same_file;
    return 0;
}

// In this order:
//   the target is a closed standard stream                    6
//   a named target that standard output shows through a
//   device, which cannot cut it                               4
//   standard output as the target: checked as such above      0
//   the target is the source's file                           2
//   the target cannot be opened                               4
//   the target cannot be told from the source, and the run
//   did not just make it                                      4
//   the target is standard input's pipe, whose text would
//   come back as input or fill the pipe and wait for ever     4
// A terminal or another device on both sides loses nothing. None of these
// applies to a file that the run has just made, so a refused run leaves no
// file behind.
int refuse_target(const run_files &files) {
    const file_info &target = files.target;
    if (target.kind == closed_stream)
        return output_lost;
    if (files.route == through_stdout)
        return files.stdout_cannot_cut ? target_unusable : 0;
    const sameness same = compare_files(target, files.source);
    const bool device = target.kind == terminal || target.kind == other_device;
    if (same == one_file && !device)
        return same_file;
    if (files.route == unopenable || (same == cannot_tell && !files.target_made))
        return target_unusable;
    if (target.kind == pipe_file && compare_files(target, files.in) == one_file)
        return target_unusable;
    return 0;
}
