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

// What the pass is told: the options, the open source and its kind.
pass_setup setup;

// Reads the options and checks the names. Every element from the source name
// on is compared with -l and -v, so a name spelt like an option sets it too.
int read_arguments(int argc, char **argv) {
    if (argc <= 2)
        return usage_error;
    if (first_surplus_name(argv))
        return too_many_names;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-l") == 0)
            setup.strip_indent = 1;
        if (strcmp(argv[i], "-v") == 0)
            setup.verbose = 1;
    }
    if (strcmp(argv[1], argv[2]) == 0 && !is_dash(argv[1]))
        return same_file;
    return 0;
}

// Opens the source: standard input for -, and for a name that reaches what
// standard input holds where that is not a regular file (/dev/stdin, a pipe,
// a terminal), so that a closed standard input stays closed under any name.
int open_source(const char *name) {
    FILE *source = is_dash(name) || (names_stream(name, stdin) && !is_regular_file(stdin))
                       ? binary_stdin()
                       : fopen(name, "rb");
    if (!source)
        return source_unreadable;
    if (is_directory(source)) {
        fclose(source);
        return source_unreadable;
    }
    setup.source = source;
    setup.kind = is_regular_file(source) ? regular_file_source : stream_source;
    give_buffer(source, source_buffer, sizeof source_buffer);
    return 0;
}

// 1 when the target is written through standard output: for -, and for a
// name that reaches what standard output holds (/dev/stdout, or the file,
// pipe or terminal it was redirected to), which is then neither opened anew
// nor truncated, and takes the report lines in their order.
int target_is_stdout(const char *name) {
    return is_dash(name) || names_stream(name, stdout);
}

// Checks a target that is opened by its name against the open source,
// before it is opened, because opening it truncates it.
int check_target(const char *name) {
    int same = is_same_file(setup.source, name);
    if (same == 0)
        return 0;
    return same > 0 ? same_file : target_unwritable;
}

// Starts the pass, which reads the source ahead, and opens the target, in
// this order: a target that is the source, or a source that cannot be read,
// leaves every file as it was. On failure the source is closed, so that no
// stream is left open.
int open_target(const char *name) {
    const int to_stdout = target_is_stdout(name);
    int code = to_stdout ? 0 : check_target(name);
    setup.target_writes_crlf = target_writes_crlf();
    if (code == 0 && start_pass(setup) != 0)
        code = read_failed;
    if (code == 0 && !(state.target = to_stdout ? stdout : fopen(name, "w")))
        code = target_unwritable;
    if (code != 0) {
        fclose(setup.source);
        return code;
    }
    give_buffer(state.target, target_buffer, sizeof target_buffer);
    if (state.target != stdout)
        keep_running_without_stdout();
    // The text goes to the target, the report lines to standard output: the
    // first of them that shows on a terminal gets its lines flushed.
    if (needs_line_flush(state.target)) {
        state.terminal = state.target;
    } else if (state.target != stdout) {
        give_buffer(stdout, report_buffer, sizeof report_buffer);
        if (needs_line_flush(stdout))
            state.terminal = stdout;
    }
    return 0;
}

// Closes the source, then the target, and says whether anything was lost. A
// full disk often shows only when the buffer is flushed at the close. Standard
// output is only flushed here: it may still carry a message.
int close_streams() {
    int code = ferror(state.source) ? read_failed : 0;
    fclose(state.source);
    int lost = ferror(state.target);
    if (state.target == stdout)
        lost |= fflush(stdout) != 0;
    else
        lost |= fclose(state.target) != 0;
    if (lost && code == 0)
        code = write_failed;
    return code;
}

// Standard output carries the messages, the report lines and perhaps the
// target; its close is the last check that none of it was lost.
int close_stdout(int code) {
    int lost = ferror(stdout);
    lost |= fclose(stdout) != 0;
    if (lost && code == 0)
        return write_failed;
    return code;
}

} // namespace

int is_dash(const char *name) {
    return strcmp(name, "-") == 0;
}

const char *first_surplus_name(char **argv) {
    for (int i = 3; argv[i]; ++i) {
        if (argv[i][0] != '\0' && argv[i][0] != '-')
            return argv[i];
    }
    return nullptr;
}

int main(int argc, char **argv) {
    keep_standard_streams_apart();
    int code = expand_wildcards(&argc, &argv) ? several_matches : 0;
    if (code == 0)
        code = read_arguments(argc, argv);
    if (code == 0)
        code = open_source(argv[1]);
    if (code == 0 && is_same_open_file(setup.source, stdout)) {
        // Standard output is the source's file: refused without a word, as
        // any message would land in that file.
        fclose(setup.source);
        return same_file;
    }
    if (code == 0)
        code = open_target(argv[2]);
    if (code == 0) {
        run_filter();
        code = close_streams();
    }
    if (code != 0)
        show_message(code, argv);
    return close_stdout(code);
}
