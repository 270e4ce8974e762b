// tarvo: puts HTML tags written one against the other onto lines of their
// own. Usage: tarvo <source> <target> [-l] [-v], with - for standard input
// and standard output.
#include "byte_io.h"
#include "filter.h"
#include "platform.h"
#include "refusals.h"
#include "tarvo.h"

#include <cstdio>
#include <cstring>

namespace {

// Stream buffers. Standard output gets a smaller one of its own when it
// carries only messages and report lines.
char source_buffer[stream_buffer_size];
char target_buffer[stream_buffer_size];
char report_buffer[16 * 1024];

// The command line, read once.
command_line command;

// The files of the run and what they are, and the streams that the run
// opened, which it closes: the source (null where it was not opened) and a
// named target (null where the target is standard output).
run_files files;
FILE *source_stream;
FILE *target_stream;

// The one rule of the exit status: the first failure wins, and a read error
// of the source counts as the first: the source is checked and closed
// before the target, so that a failed source is never reported as lost
// output.
int first_failure(int code, int next) {
    return code != 0 ? code : next;
}

// Gives each closed standard stream its stand-in, and identifies the three
// once, at the start, so that every name is compared with what they were
// given.
void identify_standard_streams() {
    fill_closed_standard_streams();
    files.in = identify(stdin);
    files.out = identify(stdout);
    files.err = identify(stderr);
}

// Reads the command line into its parts and checks them. Every element from
// the source name on is compared with -l and -v, so a name spelt like an
// option sets it too. After the two names, a word that begins with - is an
// option, known or not, and an empty word is nothing; any other is surplus.
int read_command_line(int argc, char **argv) {
    command.program = argc > 0 ? argv[0] : nullptr;
    command.source = argc > 1 ? argv[1] : nullptr;
    command.target = argc > 2 ? argv[2] : nullptr;
    if (command.pattern)
        return several_matches;
    if (argc <= 2)
        return usage_error;
    for (int i = 3; i < argc && !command.surplus; ++i) {
        if (argv[i][0] != '\0' && argv[i][0] != '-')
            command.surplus = argv[i];
    }
    if (command.surplus)
        return too_many_names;
    for (int i = 1; i < argc; ++i) {
        command.options.strip_indent |= strcmp(argv[i], "-l") == 0;
        command.options.verbose |= strcmp(argv[i], "-v") == 0;
    }
    if (strcmp(command.source, command.target) == 0 && !is_dash(command.source))
        return same_file;
    return 0;
}

// A source that is a FIFO waits in its open, or in its first read, for a
// writer: the one that the target names too is refused before either (see
// refuse_names). A source of - is the FIFO that standard input holds.
int refuse_fifo_names() {
    if (is_dash(command.target))
        return 0;
    const file_info source = is_dash(command.source) ? files.in : identify_fifo(command.source);
    return refuse_names(source, identify_fifo(command.target));
}

// Opens the source and identifies it. A name that reaches what standard
// input holds, where that is not a file on a disk (/dev/stdin, a pipe, a
// terminal), is read through standard input.
int open_source(const char *name) {
    const int is_stdin = is_dash(name) || names_stream(name, stdin);
    FILE *source = is_stdin ? binary_stdin() : open_source_file(name);
    if (!source)
        return source_unreadable;
    files.source = identify(source);
    if (source != stdin && files.source.kind != disk_file &&
        compare_files(files.source, files.in) == one_file) {
        fclose(source);
        source = binary_stdin();
        files.source = files.in;
    }
    source_stream = source;
    give_buffer(source, source_buffer, sizeof source_buffer);
    return 0;
}

// A source that is a terminal is typed input: it is read ahead only once
// the target is settled, so that a person learns of a bad target before
// typing.
int source_is_terminal() {
    return files.source.kind == terminal;
}

// Starts the pass with the command line's options, which reads the source
// ahead (see start_pass), without a target yet. A named pipe that has
// already ended is an empty source.
int begin_pass() {
    const source_kind kind = files.source.kind == disk_file ? regular_file_source : stream_source;
    if (start_pass({source_stream, kind, command.options, target_writes_crlf()}) != 0 &&
        !source_ended(source_stream))
        return read_failed;
    return 0;
}

// Opens the target without emptying it and identifies it. A name that
// reaches what standard output holds (/dev/stdout, or the file, pipe or
// terminal it was redirected to) is written through standard output, so
// that it takes the report lines in their order. A target that cannot be
// opened is identified by its name, which can still show it to be standard
// output's file (held by a shell that shares it with no other writer) or
// the source's.
void open_target(const char *name) {
    files.route = through_stdout;
    files.target = files.out;
    if (is_dash(name) || names_stream(name, stdout))
        return;
    target_stream = open_target_file(name, &files.target_made);
    files.route = target_stream ? opened_target : unopenable;
    files.target = target_stream ? identify(target_stream) : identify_name(name);
    if (compare_files(files.target, files.out) == one_file) {
        files.stdout_cannot_cut = target_stream && can_be_cut(target_stream) && !can_be_cut(stdout);
        if (target_stream)
            fclose(target_stream);
        target_stream = nullptr;
        files.route = through_stdout;
        files.target = files.out;
    }
}

// Empties the target, the very file that was checked, and hands it to the
// pass. Typed input is read ahead only now:
//   typed input cannot be read at its start          5
//   the target cannot be emptied                     4
// A named target is cut where its stream stands: one that the run opened at
// its start, one that standard output holds where the shell left it,
// unless standard output appends. Target - is standard output as the shell
// made it, as with cat. The text goes to the target, the report lines to
// standard output: the first of them that shows on a terminal gets its
// lines flushed.
int hand_over_target() {
    if (source_is_terminal() && begin_pass() != 0)
        return read_failed;
    FILE *target = target_stream ? target_stream : stdout;
    if (!is_dash(command.target) && cut_at_position(target) != 0)
        return target_unusable;
    FILE *flush_each_line = nullptr;
    give_buffer(target, target_buffer, sizeof target_buffer);
    if (needs_line_flush(target)) {
        flush_each_line = target;
    } else if (target != stdout) {
        give_buffer(stdout, report_buffer, sizeof report_buffer);
        if (needs_line_flush(stdout))
            flush_each_line = stdout;
    }
    set_pass_target(target, flush_each_line);
    if (target != stdout)
        keep_running_without_stdout();
    return 0;
}

// 1 when a message would land in the source's file and change it. Where the
// source was not opened, its name says what it is.
int message_lands_in_source() {
    run_files seen = files;
    if (!source_stream && command.source)
        seen.source = is_dash(command.source) ? files.in : identify_name(command.source);
    return stdout_is_source(seen);
}

// Closes the source: read_failed where reading it failed, and that was not
// how it ended.
int close_source() {
    if (!source_stream)
        return 0;
    const int failed = ferror(source_stream) && !source_ended(source_stream);
    fclose(source_stream);
    return failed ? read_failed : 0;
}

// Flushes and closes a stream that was written; 1 when any of its output
// was lost. A full disk often shows only when the buffer is flushed, and
// not every C runtime says so from fclose alone.
int close_written(FILE *stream) {
    int lost = fflush(stream) != 0;
    lost |= ferror(stream);
    lost |= fclose(stream) != 0;
    return lost;
}

// Closes a named target; standard output as the target is only flushed, as
// it may still carry a message. output_lost where any output was lost.
int close_target() {
    const int lost =
        target_stream ? close_written(target_stream) : fflush(stdout) != 0 || ferror(stdout);
    return lost ? output_lost : 0;
}

// Standard output carries the messages, the report lines and perhaps the
// target; its close is the last check that none of it was lost.
int close_stdout() {
    return close_written(stdout) ? output_lost : 0;
}

} // namespace

int main(int argc, char **argv) {
    identify_standard_streams();
    command.pattern = command_words(&argc, &argv);
    int code = read_command_line(argc, argv);
    // The source is settled, and read ahead, before the target is touched.
    if (code == 0)
        code = refuse_fifo_names();
    if (code == 0)
        code = open_source(command.source);
    if (code == 0)
        code = refuse_source(files);
    if (code == 0 && !source_is_terminal())
        code = begin_pass();
    if (code == 0) {
        open_target(command.target);
        code = refuse_target(files);
    }
    if (code == 0)
        code = hand_over_target();
    if (code == 0)
        run_filter();
    code = first_failure(code, close_source());
    code = first_failure(code, close_target());
    // A message into the source's file would change it; one that nobody
    // reads any more is lost quietly, with the status kept.
    if (code != 0 && !message_lands_in_source()) {
        keep_running_without_stdout();
        show_message(code, command);
    }
    return first_failure(code, close_stdout());
}
