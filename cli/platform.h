// What the front end needs of the operating system beyond the C library. One
// source file a platform implements it; the build picks the file.
#ifndef TARVO_CLI_PLATFORM_H
#define TARVO_CLI_PLATFORM_H

#include <cstddef>
#include <cstdio>

// Makes sure that standard input, output and error have a descriptor each
// before any file is opened, so that a file never takes the place of a
// closed one and receives what was meant for it. A closed stream gets a
// descriptor that no name reaches and that fails when it is used.
void keep_standard_streams_apart();

// Expands the wildcard patterns in the arguments into the names of the
// matching files, where the platform's start-up does not leave that to a
// shell. Returns 0, or 1 when a pattern in the source or the target position
// matches several files: the vector then ends at that pattern, as typed.
int expand_wildcards(int *argc, char ***argv);

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

// 1 when the open stream is a directory, which cannot be a source.
int is_directory(FILE *stream);

// 1 when the open stream is a regular file on a disk.
int is_regular_file(FILE *stream);

// Whether name names the file of the open stream, under whatever name: 1
// yes; 0 no, or no such file; -1 the file exists but cannot be identified.
// A terminal or another device is never the same file.
int is_same_file(FILE *stream, const char *name);

// 1 when name reaches the very file, pipe, terminal or device that the open
// stream holds, such as /dev/stdout for standard output.
int names_stream(const char *name, FILE *stream);

// 1 when the two open streams are one regular file, and also where two
// regular files cannot be told apart: a refusal is better than a lost file.
int is_same_open_file(FILE *stream, FILE *other);

// What a part of a message is: a text stored in code page 850, or a name as
// it was given on the command line.
enum message_part { stored_text, given_name };

// Writes part of a message to standard output in the form that its reader
// sees. A terminal that shows another character set than code page 850 gets
// the stored texts converted; names go out as they were given.
void put_message(const char *bytes, size_t length, message_part part);

#endif
