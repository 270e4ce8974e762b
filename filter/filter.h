// The line-break filter: one pass from source to target that puts a line
// feed between a '>' and a directly following '<', and under -l removes the
// indentation at the start of every line.
#ifndef TARVO_FILTER_FILTER_H
#define TARVO_FILTER_FILTER_H

#include <cstdint>
#include <cstdio>

struct filter_state {
    // The byte read last, as the stream read returned it: 0 to 255 for a
    // byte, EOF at the end of input. An int, so that 0xFF stays a byte.
    int current_char;
    int strip_indent; // -l
    int verbose;      // -v, reports only together with -l
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

// The one filter_state of the program.
extern filter_state state;

// How far the source can be read ahead: a regular file to its first line
// end and back, any other stream only by its first byte.
enum source_kind { regular_file_source, stream_source };

// Everything a pass is told before it starts. A caller fills one of these
// and hands it to start_pass, the one way into a pass.
struct pass_setup {
    FILE *source;
    source_kind kind;
    FILE *target; // open, and not written to before the pass; or null, see set_pass_target
    int strip_indent;
    int verbose;
    int target_writes_crlf;
    FILE *flush_each_line;
    std::int64_t lines_before; // line feeds already counted: 0 for a whole source
};

// Starts a pass: clears the state, takes the setup and reads the source
// ahead, so that a source that cannot be read is found before anything is
// written. A regular file whose target does not write CR LF by itself is
// read on to its first line end, however far that lies, and rewound, so that
// line breaks inserted into the first line take that line end's form. Any
// other source only has its first byte read and pushed back. Returns 0, or
// non-zero when the source could not be read or rewound.
int start_pass(const pass_setup &setup);

// Names the target of a pass that start_pass began without one. The front
// end reads the source ahead before it opens the target, so that a source
// that cannot be read leaves every file alone.
void set_pass_target(FILE *target, FILE *flush_each_line);

// Copies the whole source to the target. Returns at the end of input, or
// when a read fails; the caller tells the two apart with ferror.
void run_filter();

#endif
