#include "filter.h"

#include "byte_io.h"

#include <cinttypes>

namespace {

// The one filter_state of the program.
filter_state state;

// At a line end, flushes the stream that a terminal shows where the C
// library would keep the line in its buffer.
inline void flush_at_line_end(FILE *stream) {
    if (stream == state.flush_each_line)
        fflush(stream);
}

// Writes the line break inserted between '>' and '<', in the form of the
// source's most recent line end.
inline void write_line_break(FILE *target) {
    if (state.crlf)
        write_byte('\r', target);
    write_byte('\n', target);
    flush_at_line_end(target);
}

// Drops the spaces and tabs that start the line after a line feed, and under
// -v reports the line with an asterisk for each byte dropped. The first other
// byte is pushed back, so that the loop's next read returns it.
void drop_indentation() {
    FILE *source = state.source;
    const int verbose = state.options.verbose;
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
        flush_at_line_end(stdout);
    }
    if (c != EOF)
        ungetc(c, source);
}

// Writes the line feed that ends a line of the source, whichever its form,
// and under -l drops the next line's indentation.
void write_line_end() {
    write_byte('\n', state.target);
    flush_at_line_end(state.target);
    if (state.options.strip_indent)
        drop_indentation();
}

// A line feed on its own: an LF line end, which inserted breaks take from
// here on.
void on_line_feed() {
    state.crlf = 0;
    write_line_end();
}

// A CR read by the loop or after '>'. Followed by a line feed, it is part of
// a CR LF line end: it is copied, and inserted breaks take that form from
// here on. Where the target writes every line feed as CR LF by itself, the
// CR is left to it instead, as a text-mode read would have done. Any other
// byte is pushed back for the loop, which would have read it next anyway.
void on_carriage_return() {
    int next = read_byte(state.source);
    state.current_char = next;
    if (next == '\n') {
        if (!state.target_writes_crlf) {
            write_byte('\r', state.target);
            state.crlf = 1;
        }
        write_line_end();
        return;
    }
    write_byte('\r', state.target);
    if (next != EOF)
        ungetc(next, state.source);
}

// A '>' read by the loop: copied, and a '<' right after it gets a line
// break first.
void on_close_bracket() {
    FILE *target = state.target;
    write_byte('>', target);
    int c = read_byte(state.source);
    state.current_char = c;
    if (c == '<') {
        write_line_break(target);
        write_byte('<', target);
    } else if (c == '\n') {
        on_line_feed();
    } else if (c == '\r') {
        on_carriage_return();
    } else if (c != EOF) {
        // Any other byte, another '>' too, is copied and starts no check of
        // its own: in a run of '>' only every other one is checked, so '>><'
        // stays as it is and '>>><' gets its line break.
        write_byte(c, target);
    }
}

// Reads the source ahead; see start_pass.
int look_ahead(source_kind kind) {
    FILE *source = state.source;
    fpos_t start;
    if (kind == regular_file_source && !state.target_writes_crlf && fgetpos(source, &start) == 0) {
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

} // namespace

int start_pass(const pass_setup &setup) {
    state = filter_state{};
    state.source = setup.source;
    state.options = setup.options;
    state.target_writes_crlf = setup.target_writes_crlf;
    return look_ahead(setup.kind);
}

void set_pass_target(FILE *target, FILE *flush_each_line) {
    state.target = target;
    state.flush_each_line = flush_each_line;
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
        if (c == '>' || c == '\n' || c == '\r') {
            state.current_char = c;
            if (c == '>')
                on_close_bracket();
            else if (c == '\n')
                on_line_feed();
            else
                on_carriage_return();
            c = state.current_char;
        } else if (c != EOF) {
            write_byte(c, target);
        }
    }
    state.current_char = c;
}

int pass_at_end() {
    return state.current_char == EOF;
}

void set_line_number(std::int64_t line_number) {
    state.line_number = line_number;
}
