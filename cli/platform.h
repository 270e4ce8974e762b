// What the front end needs of the operating system beyond the C library. One
// source file a platform implements it; the build picks the file.
#ifndef TARVO_CLI_PLATFORM_H
#define TARVO_CLI_PLATFORM_H

#include <cstddef>
#include <cstdio>

// Makes sure that standard input, output and error have a descriptor each
// before any file is opened, so that a file never takes the place of a
// closed one and receives what was meant for it. Using a stream that was
// closed still fails as it did.
void keep_standard_streams_apart();

// The wildcard pattern, as it was typed, that the start-up expanded into
// several names in the source or the target position; null where there is
// none. The answer is worked out once and kept.
const char *pattern_with_several_matches(char **argv);

// Standard input, set to pass every byte as it is where the platform's text
// mode would change some. Typed input from a console is left as it is.
FILE *binary_stdin();

// Gives the stream a buffer of the given size. Returns 1 where the stream
// shows on a terminal that the C library would not line-buffer, so that the
// caller must flush each line itself.
int give_buffer(FILE *stream, char *buffer, size_t size);

// 1 when the open stream is a directory, which cannot be a source.
int is_directory(FILE *stream);

// 1 when the open stream is a regular file on a disk.
int is_regular_file(FILE *stream);

// Whether name names the file of the open stream, under whatever name: 1
// yes; 0 no, or no such file; -1 the file exists but cannot be identified.
// A terminal or another character device is never the same file.
int is_same_file(FILE *stream, const char *name);

// 1 when the two open streams are one regular file, and also where two
// regular files cannot be told apart: a refusal is better than a lost file.
int is_same_open_file(FILE *stream, FILE *other);

// Writes part of a message to standard output in the form that its reader
// sees: stored text is in code page 850, a name is as it was given. A
// terminal that shows another character set gets the text converted.
void put_message(const char *bytes, size_t length, int stored);

#endif
