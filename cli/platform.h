// What the front end needs of the operating system beyond the C library. One
// source file a platform implements it; the build picks the file.
#ifndef TARVO_CLI_PLATFORM_H
#define TARVO_CLI_PLATFORM_H

#include <cstddef>
#include <cstdio>

// Makes sure that standard input, output and error have a descriptor each
// before any file is opened, so that a file never takes the place of a
// closed one and receives what was meant for it. A closed stream gets a
// descriptor that fails when it is used; identify knows it, also under a
// name that reaches it (/dev/fd/1), as a closed_stream.
void keep_standard_streams_apart();

// Expands the wildcard patterns in the arguments into the names of the
// matching files, where the platform's start-up does not leave that to a
// shell. Returns null, or a pattern in the source or the target position
// that matches several files, which is refused.
const char *expand_wildcards(int *argc, char ***argv);

// From here on, a standard output whose reader went away makes its writes
// fail rather than end the run, so that the target is still written whole.
void keep_running_without_stdout();

// Standard input, set to pass every byte as it is where the platform's text
// mode would change some. Typed input from a console is left as it is.
FILE *binary_stdin();

// 1 where the target and standard output are text streams that write every
// line feed as CR LF by themselves.
int target_writes_crlf();

// Gives the stream a buffer of the given size, unless it shows on a terminal
// that the C library line-buffers by itself.
void give_buffer(FILE *stream, char *buffer, size_t size);

// 1 when the stream shows on a terminal that the C library does not
// line-buffer: whoever writes lines to it must flush each one.
int needs_line_flush(FILE *stream);

// What an open file is. The refusals of a run are taken from this, never
// from a name, so that what is checked is what is read or truncated.
enum file_kind {
    regular_file,  // a file on a disk
    directory,     // never a source or a target
    terminal,      // a terminal or console
    other_device,  // /dev/null, NUL, a printer, ...
    other_file,    // a pipe, a socket, anything else
    closed_stream, // what a closed standard stream was given in its place
    unknown_file   // could not be asked
};

// The kind of an open file and, where the system can tell it, its identity
// (device and inode; volume and file id).
struct file_info {
    file_kind kind;
    int identified; // 1 where volume and id are known
    unsigned long long volume;
    unsigned char id[16];
};

// Says what the open stream is.
file_info identify(FILE *stream);

// Says what the name reaches, without opening it for reading or writing;
// kind unknown_file where it reaches nothing.
file_info identify_name(const char *name);

// 1 when the two are one file, 0 when not, -1 when both are files on a disk
// and one of them could not be identified. A terminal is one file under
// every name that reaches it; on Windows every console handle is the
// process's one console.
int is_same_file(const file_info &one, const file_info &other);

// 1 when the name reaches the pipe, socket, terminal or device that the
// open stream holds (/dev/stdin, /dev/fd/1), asked without opening the name:
// opening a pipe whose writer is gone would wait for ever, and a socket
// cannot be opened by name at all. Where the name can only be told by
// opening it, 0.
int names_stream(const char *name, FILE *stream);

// Opens a named source for reading, every byte as it is. A console reads as
// typed input does. Null where it cannot be opened.
FILE *open_source_file(const char *name);

// Opens a named target for writing without truncating it, creating it where
// it is missing; *created says whether this run made it. Null where it cannot
// be opened.
FILE *open_target_file(const char *name, int *created);

// Empties a target that is a file on a disk, once every check has passed.
// Returns 0, or non-zero where that failed.
int empty_target(FILE *target);

// Removes a target that this run created, before it is closed: the file
// that the open stream holds, where the run made it, and no other that took
// its name meanwhile; never a symbolic link that led there.
void remove_created_target(FILE *target);

// What a part of a message is: a text stored in code page 850, or a name as
// it was given on the command line.
enum message_part { stored_text, given_name };

// Writes part of a message to standard output in the form that its reader
// sees. A terminal that shows another character set than code page 850 gets
// the stored texts converted; names go out as they were given.
void put_message(const char *bytes, size_t length, message_part part);

#endif
