#include "filter.h"

#include "byte_io.h"

#include <cinttypes>

filter_state state;

namespace {

// How far a regular-file source is read ahead for its first line end.
constexpr long line_end_probe_limit = 64 * 1024;

// Writes the line break inserted between '>' and '<', in the form of the
// source's most recent line end.
inline void write_line_break(FILE *target) {
    if (state.crlf)
        write_byte('\r', target);
    write_byte('\n', target);
}

// A CR read by the loop or after '>'. It is copied; if a line feed follows,
// the source has CR LF line ends from here on. Any other byte is pushed back
// for the loop, which would have read it next anyway.
void on_carriage_return() {
    write_byte('\r', state.target);
    int next = read_byte(state.source);
    state.current_char = next;
    if (next == '\n') {
        state.crlf = 1;
        on_line_feed();
    } else if (next != EOF) {
        ungetc(next, state.source);
    }
}

// Drops the spaces and tabs that start the line after a line feed, and under
// -v reports the line with an asterisk for each byte dropped. The first other
// byte is pushed back, so that the loop's next read returns it.
void drop_indentation() {
    FILE *source = state.source;
    const int verbose = state.verbose;
    if (verbose) {
        ++state.line_number;
        printf("Zeile %4" PRId64 ": \t", state.line_number);
    }
    int c = read_byte(source);
    while (c == ' ' || c == '\t') {
        if (verbose)
            putchar('*');
        c = read_byte(source);
    }
    state.current_char = c;
    if (verbose)
        putchar('\n');
    if (c != EOF)
        ungetc(c, source);
}

} // namespace

int probe_line_end() {
    if (text_mode_translates_line_ends)
        return 0;
    fpos_t start;
    if (fgetpos(state.source, &start) != 0)
        return 0; // not seekable, such as a pipe: LF until the first line end
    int previous = 0;
    int c = read_byte(state.source);
    for (long n = 0; c != EOF && c != '\n' && n < line_end_probe_limit; ++n) {
        previous = c;
        c = read_byte(state.source);
    }
    state.crlf = c == '\n' && previous == '\r';
    return fsetpos(state.source, &start);
}

void on_close_bracket() {
    FILE *target = state.target;
    write_byte('>', target);
    int c = read_byte(state.source);
    state.current_char = c;
    if (c == '<') {
        write_line_break(target);
        write_byte('<', target);
    } else if (c == '\n') {
        state.crlf = 0;
        on_line_feed();
    } else if (c == '\r' && !text_mode_translates_line_ends) {
        on_carriage_return();
    } else if (c != EOF) {
        write_byte(c, target);
    }
}

void on_line_feed() {
    write_byte('\n', state.target);
    if (state.strip_indent)
        drop_indentation();
}

// The reading loop. The byte a handler read last is in current_char and
// decides whether the pass goes on. Ordinary bytes stay in a local, so that
// the hot path is one read, three compares and one write.
void run_filter() {
    FILE *const source = state.source;
    FILE *const target = state.target;
    int c = state.current_char;
    while (c != EOF) {
        c = read_byte(source);
        if (c == '>') {
            state.current_char = c;
            on_close_bracket();
            c = state.current_char;
        } else if (c == '\n') {
            state.current_char = c;
            state.crlf = 0;
            on_line_feed();
            c = state.current_char;
        } else if (c == '\r' && !text_mode_translates_line_ends) {
            state.current_char = c;
            on_carriage_return();
            c = state.current_char;
        } else if (c != EOF) {
            write_byte(c, target);
        }
    }
    state.current_char = c;
}
