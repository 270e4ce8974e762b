// What the front end needs of the operating system beyond the C library. One
// source file a platform implements it; the build picks the file.
#ifndef TARVO_CLI_PLATFORM_H
#define TARVO_CLI_PLATFORM_H

#include <cstdio>

// Makes sure that standard input, output and error have a descriptor each
// before any file is opened, so that a file never takes the place of a
// closed one and receives what was meant for it. Using a stream that was
// closed still fails as it did.
void keep_standard_streams_apart();

// 1 when the open stream is a directory, which cannot be a source.
int is_directory(FILE *stream);

// 1 when target_name names the file that the open source stream reads, under
// whatever name. A target that does not exist yet is never the source.
int is_same_file(FILE *source, const char *target_name);

// 1 when the stream is an interactive terminal.
int is_terminal(FILE *stream);

// 1 when standard output is a terminal that shows UTF-8 rather than the
// stored code page 850 bytes of the messages.
int console_takes_utf8();

#endif
