#include "filter.h"

#include "byte_io.h"

#include <cinttypes>

filter_state state;

namespace {

// Ends a line on a stream that a terminal shows, where the C library would
// keep it in the buffer.
inline void end_line(FILE *stream) {
    if (stream == state.terminal)
        fflush(stream);
}

// Writes the line break inserted between '>' and '<', in the form of the
// source's most recent line end.
inline void write_line_break(FILE *target) {
    if (state.crlf)
        write_byte('\r', target);
    write_byte('\n', target);
    end_line(target);
}

// A CR read by the loop or after '>'. Followed by a line feed, it is part of
// a CR LF line end: it is copied, and inserted breaks take that form from
// here on. Where the target's text mode writes every line feed as CR LF, the
// CR is left to it instead, as a text-mode read would have done. Any other
// byte is pushed back for the loop, which would have read it next anyway.
void on_carriage_return() {
    int next = read_byte(state.source);
    state.current_char = next;
    if (next == '\n') {
        if (!target_writes_crlf) {
            write_byte('\r', state.target);
            state.crlf = 1;
        }
        on_line_feed();
        return;
    }
    write_byte('\r', state.target);
    if (next != EOF)
        ungetc(next, state.source);
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
    if (verbose) {
        putchar('\n');
        end_line(stdout);
    }
    if (c != EOF)
        ungetc(c, source);
}

} // namespace

int look_ahead(int regular_file) {
    FILE *source = state.source;
    fpos_t start;
    if (regular_file && !target_writes_crlf && fgetpos(source, &start) == 0) {
        int previous = 0;
        int c = read_byte(source);
        while (c != EOF && c != '\n') {
            previous = c;
            c = read_byte(source);
        }
        state.crlf = c == '\n' && previous == '\r';
        return ferror(source) || fsetpos(source, &start) != 0;
    }
    // A pipe, a device, or a target that writes CR LF itself: only the first
    // byte, so that a read error at the start still leaves the target alone.
    int c = read_byte(source);
    if (c == EOF)
        state.current_char = EOF; // nothing to read again
    else
        ungetc(c, source);
    return ferror(source);
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
    } else if (c == '\r') {
        on_carriage_return();
    } else if (c != EOF) {
        write_byte(c, target);
    }
}

void on_line_feed() {
    write_byte('\n', state.target);
    end_line(state.target);
    if (state.strip_indent)
        drop_indentation();
}

// The reading loop. The byte a handler read last is in current_char and
// decides whether the pass goes on. Ordinary bytes stay in a local, so that
// the hot path is one read, four compares and one write.
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
        } else if (c == '\r') {
            state.current_char = c;
            on_carriage_return();
            c = state.current_char;
        } else if (c != EOF) {
            write_byte(c, target);
        }
    }
    state.current_char = c;
}
