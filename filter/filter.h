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
    // 1 while inserted line breaks are written as CR LF, because the most
    // recent line end of the source was CR LF.
    int crlf;
    // A stream that shows on a terminal which the C library does not
    // line-buffer by itself: it is flushed at every line end, so that each
    // line shows as it is made. Null where there is none.
    FILE *terminal;
};

// The one filter_state of the program, zero at start-up.
extern filter_state state;

// Reads the source ahead before the target is opened, so that a source that
// cannot be read is found while the target is still as it was. A regular
// file is read on to its first line end, however far that lies, and rewound,
// so that line breaks inserted into the first line take that line end's
// form. Any other source only has its first byte read and pushed back.
// Returns 0, or non-zero when the source could not be read or rewound.
int look_ahead(int regular_file);

// Copies the whole source to the target. Returns at the end of input, or
// when a read fails; the caller tells the two apart with ferror.
void run_filter();

void on_close_bracket();
void on_line_feed();

#endif
