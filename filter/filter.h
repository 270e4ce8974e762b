// The line-break filter: one pass from source to target that puts a line
// feed between a '>' and a directly following '<', and under -l removes the
// indentation at the start of every line.
#ifndef TARVO_FILTER_FILTER_H
#define TARVO_FILTER_FILTER_H

#include <cstdint>
#include <cstdio>

// The options of a pass, as the command line sets them.
struct filter_options {
    int strip_indent; // -l
    int verbose;      // -v, reports only together with -l
};

struct filter_state {
    // The byte read last, as the stream read returned it: 0 to 255 for a
    // byte, EOF at the end of input. An int, so that 0xFF stays a byte.
    int current_char;
    filter_options options;
    // Line feeds seen under -l -v. 64 bits, so that it cannot overflow.
    std::int64_t line_number;
    FILE *source;
    FILE *target;
    // 1 where the target is a text stream that writes every line feed as
    // CR LF by itself, as on Windows: a CR before a line feed is then left to
    // it, and inserted breaks are plain line feeds.
    int target_writes_crlf;
    // 1 while inserted line breaks are written as CR LF, because the most
    // recent line end of the source was CR LF.
    int crlf;
    // The stream, target or standard output, that a terminal shows and the
    // C library does not line-buffer (a Windows console); null elsewhere.
    // Only the filter knows where its lines end, so it flushes this stream
    // there, and each line shows as it is made.
    FILE *flush_each_line;
};

// How far the source can be read ahead: a regular file to its first line
// end and back, any other stream only by its first byte.
enum source_kind { regular_file_source, stream_source };

// What a pass is told before it starts: its source and options, and
// whether its target will write CR LF by itself.
struct pass_setup {
    FILE *source;
    source_kind kind;
    filter_options options;
    int target_writes_crlf;
};

// Starts a pass: clears the one filter_state, takes the setup and reads the
// source ahead, so that a source that cannot be read is found before
// anything is written. A regular file whose target does not write CR LF by
// itself is read on to its first line end, however far that lies, and
// rewound, so that line breaks inserted into the first line take that line
// end's form. Any other source only has its first byte read and pushed
// back. Returns 0, or non-zero when the source could not be read or
// rewound.
int start_pass(const pass_setup &setup);

// Names the target of a pass that start_pass began, once it is opened: the
// front end reads the source ahead before it opens the target, so that a
// source that cannot be read leaves every file alone. flush_each_line is
// the target or standard output where a terminal shows it that the C
// library does not line-buffer; null elsewhere.
void set_pass_target(FILE *target, FILE *flush_each_line);

// Copies the whole source to the target. Returns at the end of input, or
// when a read fails; the caller tells the two apart with ferror.
void run_filter();

// For the tests and the fuzzer, which see the pass only through functions:
// 1 once the pass has read the end of its source; and the count of line
// feeds that the report goes on from, 0 after start_pass, so that a test
// reaches the numbers past 2^31 without 2 GiB of line feeds.
int pass_at_end();
void set_line_number(std::int64_t line_number);

#endif
