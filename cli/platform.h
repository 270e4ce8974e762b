// What the front end needs of the operating system beyond the C library. One
// source file a platform implements it; the build picks the file.
#ifndef TARVO_CLI_PLATFORM_H
#define TARVO_CLI_PLATFORM_H

#include <cstddef>
#include <cstdio>

#include "refusals.h"

// Gives each closed standard stream a descriptor before any file is
// opened, so that a file never takes the place of a closed one and receives
// what was meant for it. The stand-in fails when it is used, and identify
// knows it, also under a name that reaches it (/dev/fd/1), as a
// closed_stream.
void fill_closed_standard_streams();

// Gives main the words of the command line as they were typed, with
// wildcard patterns expanded where no shell does that. On Windows they are
// made from the UTF-16 command line, in UTF-8, so that every decision is
// made on every character as typed; the names are opened by their UTF-16
// form, and only what is shown is converted to the ANSI code page. Returns
// null, or a pattern in the source or the target position that matches
// several files, which is refused.
const char *command_words(int *argc, char ***argv);

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

// Says what the open stream is.
file_info identify(FILE *stream);

// Says what the name reaches, without opening it for reading or writing;
// kind unknown_file where it reaches nothing.
file_info identify_name(const char *name);

// Says what the name reaches where that is a FIFO, whose open for reading
// waits for a writer, without opening it; kind unknown_file for anything
// else, and on Windows, where opening a pipe never waits.
file_info identify_fifo(const char *name);

// 1 when the name reaches the pipe, socket, terminal or device that the
// open stream holds (/dev/stdin, /dev/fd/1), asked without opening the name:
// opening a pipe whose writer is gone would wait for ever, and a socket
// cannot be opened by name at all. Where the name can only be told by
// opening it, 0.
int names_stream(const char *name, FILE *stream);

// Opens a named source for reading, every byte as it is. A console reads as
// typed input does. Null where it cannot be opened.
FILE *open_source_file(const char *name);

// Opens a named target for writing as fopen's "w" would, but without
// emptying it: created where it is missing, through a symbolic link to a
// missing file too, with the permissions that the umask leaves of 0666.
// *made says whether the open made the file, where the system says so and
// it matters: where a file cannot be identified (Windows). Null where it
// cannot be opened.
FILE *open_target_file(const char *name, int *made);

// Cuts a target that is a regular file at the stream's position, unless the
// stream appends (>>): from there on the file holds just what the run
// writes. A target that the run opened is at its start; standard output is
// where the shell left it, and Windows leaves it as it is. Returns 0, or
// non-zero where that failed.
int cut_at_position(FILE *target);

// 1 where cut_at_position cuts the stream's file: a regular file, which a
// device that shows it cannot stand in for.
int can_be_cut(FILE *stream);

// 1 when the read error of the source is how it ends: a named pipe whose
// server wrote, flushed and disconnected.
int source_ended(FILE *source);

// Where standard output shows the messages: not on a terminal, on one that
// shows Unicode (UTF-8; a Windows console, which is given UTF-16), or on one
// that reads single bytes, where 0x80 to 0x9F are the C1 controls.
enum message_terminal { no_terminal, unicode_terminal, byte_terminal };

message_terminal message_shown_on();

// What a part of a message is: a stored text, or a name as it was given on
// the command line.
enum message_part { stored_text, given_name };

// Writes part of a message to standard output. On a terminal that shows
// Unicode it comes in UTF-8; anywhere else a stored text comes in code page
// 850 and a name as it was given.
void put_message(const char *bytes, size_t length, message_part part);

#endif
