// What the files of a run are, and every refusal that follows from that.
// Nothing here asks the system: the front end identifies the open files
// (platform.h) and hands their records to these functions, so that each
// refusal is one decision from data.
#ifndef TARVO_CLI_REFUSALS_H
#define TARVO_CLI_REFUSALS_H

enum file_kind {
    unknown_file, // could not be asked, or not asked yet
    disk_file,    // a regular file or a block device: bytes on a disk
    directory,    // never a source or a target
    terminal,     // a terminal or console
    other_device, // /dev/null, NUL, a printer, ...
    pipe_file,    // a pipe or FIFO
    other_file,   // a socket, anything else
    closed_stream // what a closed standard stream was given in its place
};

// The kind of a file and, where the system can tell it, its identity
// (device and inode; volume and file id).
struct file_info {
    file_kind kind;
    int identified;   // 1 where the id is known
    int volume_known; // 0 where only the id is (Wine's handles to Unix files)
    unsigned long long volume;
    unsigned char id[16];
};

// Whether two records are one file. cannot_tell only where both are files
// on a disk and one of them could not be identified.
enum sameness { different_files, one_file, cannot_tell };

sameness compare_files(const file_info &one, const file_info &other);

// How the target is reached.
enum target_route {
    opened_target,  // opened by its name, not yet emptied
    through_stdout, // - or a name of what standard output holds
    unopenable      // could not be opened: identified by its name, if at all
};

// The files of a run: the standard streams as the run found them, the
// source (opened, or as its name reaches it before it is opened) and the
// target.
struct run_files {
    file_info in, out, err;
    file_info source;
    file_info target;
    target_route route;
    // 1 where opening the target made it: a new file, which cannot be the
    // source that was opened before it.
    int target_made;
    // 1 where a named target is written through standard output, which
    // cannot cut it where it stands: a device (a loop device) that shows a
    // file that could be cut.
    int stdout_cannot_cut;
};

// 1 when standard output is the source's file, or cannot be told from it,
// so that anything written there, a message too, would change the source.
int stdout_is_source(const run_files &files);

// The refusal that the names decide before the source is opened, from
// what identify_fifo says they reach: a status, or 0.
int refuse_names(const file_info &source, const file_info &target);

// The refusals that the source alone decides, before the target is opened:
// a status, or 0.
int refuse_source(const run_files &files);

// The refusals of the target, once it is opened or found unopenable: a
// status, or 0.
int refuse_target(const run_files &files);

#endif
