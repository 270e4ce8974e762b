// tarvo: puts HTML tags written one against the other onto lines of their
// own. Usage: tarvo <source> <target> [-l] [-v], with - for standard input
// and standard output.
#include "byte_io.h"
#include "filter.h"
#include "platform.h"
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
command_line line;

// The open files of the run and what they are. Standard input and output
// are identified once, at the start, so that every name is compared with
// what they were given.
struct {
    file_info in, out, source, target;
    FILE *source_stream;
    FILE *target_stream; // null while it is standard output
    int created;         // the run made the target, so a refusal removes it
} files;

// 1 when the name is -, which stands for a standard stream.
int is_dash(const char *name) {
    return strcmp(name, "-") == 0;
}

// Reads the command line into its parts and checks them. Every element from
// the source name on is compared with -l and -v, so a name spelt like an
// option sets it too. After the two names, a word that begins with - is an
// option, known or not, and an empty word is nothing; any other is surplus.
int read_command_line(int argc, char **argv) {
    line.program = argc > 0 ? argv[0] : nullptr;
    line.source = argc > 1 ? argv[1] : nullptr;
    line.target = argc > 2 ? argv[2] : nullptr;
    if (line.pattern)
        return several_matches;
    if (argc <= 2)
        return usage_error;
    for (int i = 3; i < argc && !line.surplus; ++i) {
        if (argv[i][0] != '\0' && argv[i][0] != '-')
            line.surplus = argv[i];
    }
    if (line.surplus)
        return too_many_names;
    for (int i = 1; i < argc; ++i) {
        line.strip_indent |= strcmp(argv[i], "-l") == 0;
        line.verbose |= strcmp(argv[i], "-v") == 0;
    }
    if (strcmp(line.source, line.target) == 0 && !is_dash(line.source))
        return same_file;
    return 0;
}

// 1 when standard output is the source's file, so that any message would
// land in it: from the open source where there is one, else from what the
// source name reaches. Where the two cannot be told apart, they count as one.
int stdout_is_source() {
    if (files.out.kind != regular_file)
        return 0;
    file_info source = files.source;
    if (!files.source_stream)
        source = !line.source           ? file_info{unknown_file, 0, 0, {}}
                 : is_dash(line.source) ? files.in
                                        : identify_name(line.source);
    return is_same_file(source, files.out) != 0;
}

// Opens the source and identifies it. A name that reaches what standard
// input holds, where that is not a regular file (/dev/stdin, a pipe, a
// terminal), is read through standard input.
int open_source(const char *name) {
    const int is_stdin = is_dash(name) || names_stream(name, stdin);
    FILE *source = is_stdin ? binary_stdin() : open_source_file(name);
    if (!source)
        return source_unreadable;
    files.source_stream = source;
    files.source = identify(source);
    if (source != stdin && files.source.kind != regular_file &&
        is_same_file(files.source, files.in) == 1) {
        fclose(source);
        files.source_stream = binary_stdin();
        files.source = files.in;
    }
    return 0;
}

// Opens the target without truncating it and identifies it. A name that
// reaches what standard output holds (/dev/stdout, or the file, pipe or
// terminal it was redirected to) is written through standard output, so
// that it is not truncated and takes the report lines in their order.
int open_target(const char *name) {
    if (is_dash(name) || names_stream(name, stdout)) {
        files.target = files.out;
        return 0;
    }
    files.target_stream = open_target_file(name, &files.created);
    if (!files.target_stream)
        return target_unwritable;
    files.target = identify(files.target_stream);
    if (is_same_file(files.target, files.out) == 1) {
        fclose(files.target_stream); // written through standard output instead
        files.target_stream = nullptr;
    }
    return 0;
}

// Every refusal is taken from the open files, in the order that keeps them
// safe. Nothing has been written yet:
//   the source is a directory                        3
//   the source is a closed standard stream           5
//   standard output is the source's file             2, without a word
//   the target is a closed standard stream           6
//   a named target is the source's file              2
//   a named target cannot be told from the source    4
//   a named target is standard input's pipe          4
// Standard output as the target was checked against the source above: a
// socket that carries both standard streams is no file written onto itself.
int check_files() {
    if (files.source.kind == directory)
        return source_unreadable;
    if (files.source.kind == closed_stream)
        return read_failed;
    if (stdout_is_source())
        return same_file;
    if (files.target.kind == closed_stream)
        return write_failed;
    if (!files.target_stream)
        return 0;
    // A terminal or another device on both sides loses nothing.
    int same = is_same_file(files.target, files.source);
    if (same != 0 && files.target.kind != terminal && files.target.kind != other_device)
        return same > 0 ? same_file : target_unwritable;
    // The text would come back as input, or fill the pipe and wait for ever.
    if (files.target.kind == other_file && is_same_file(files.target, files.in) == 1)
        return target_unwritable;
    return 0;
}

// Starts the pass, which reads the source ahead, and only then empties the
// target, the very file that was checked:
//   the source cannot be read at its start           5
//   the target cannot be emptied                     4
// The text goes to the target, the report lines to standard output: the
// first of them that shows on a terminal gets its lines flushed.
int start_run() {
    FILE *target = files.target_stream ? files.target_stream : stdout;
    pass_setup setup = {};
    setup.source = files.source_stream;
    setup.kind = files.source.kind == regular_file ? regular_file_source : stream_source;
    setup.target = target;
    setup.strip_indent = line.strip_indent;
    setup.verbose = line.verbose;
    setup.target_writes_crlf = target_writes_crlf();
    give_buffer(setup.source, source_buffer, sizeof source_buffer);
    give_buffer(target, target_buffer, sizeof target_buffer);
    if (needs_line_flush(target)) {
        setup.flush_each_line = target;
    } else if (target != stdout) {
        give_buffer(stdout, report_buffer, sizeof report_buffer);
        if (needs_line_flush(stdout))
            setup.flush_each_line = stdout;
    }
    if (start_pass(setup) != 0)
        return read_failed;
    if (files.target_stream && empty_target(files.target_stream) != 0)
        return target_unwritable;
    if (target != stdout)
        keep_running_without_stdout();
    return 0;
}

// Closes what a refused run opened. A target that it created is removed
// again, so that a refusal leaves the files as they were.
void close_refused() {
    if (files.target_stream) {
        if (files.created)
            remove_created_target(files.target_stream);
        fclose(files.target_stream);
    }
    if (files.source_stream)
        fclose(files.source_stream);
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

// Closes the source, then the target, and says whether anything was lost.
// Standard output is only flushed here: it may still carry a message.
int close_streams() {
    int code = ferror(state.source) ? read_failed : 0;
    fclose(state.source);
    int lost = state.target == stdout ? fflush(stdout) != 0 || ferror(stdout)
                                      : close_written(state.target);
    if (lost && code == 0)
        code = write_failed;
    return code;
}

// Standard output carries the messages, the report lines and perhaps the
// target; its close is the last check that none of it was lost.
int close_stdout(int code) {
    if (close_written(stdout) && code == 0)
        return write_failed;
    return code;
}

} // namespace

int main(int argc, char **argv) {
    keep_standard_streams_apart();
    files.in = identify(stdin);
    files.out = identify(stdout);
    line.pattern = expand_wildcards(&argc, &argv);
    int code = read_command_line(argc, argv);
    if (code == 0)
        code = open_source(line.source);
    if (code == 0)
        code = open_target(line.target);
    if (code == 0)
        code = check_files();
    if (code == 0)
        code = start_run();
    if (code == 0) {
        run_filter();
        code = close_streams();
    } else {
        close_refused();
    }
    // A message into the source's file would change it; one that nobody
    // reads any more is lost quietly, with the status kept.
    if (code != 0 && !stdout_is_source()) {
        keep_running_without_stdout();
        show_message(code, line);
    }
    return close_stdout(code);
}
