// tarvo: puts HTML tags written one against the other onto lines of their
// own. Usage: tarvo <source> <target> [-l] [-v], with - for standard input
// and standard output.
#include "filter.h"
#include "platform.h"
#include "tarvo.h"

#include <cstdio>
#include <cstring>

namespace {

// Stream buffers, sized for throughput rather than the library's default.
// Standard output gets a buffer of its own when it carries only messages and
// report lines.
constexpr size_t buffer_size = 128 * 1024;
char source_buffer[buffer_size];
char target_buffer[buffer_size];
char report_buffer[16 * 1024];

int is_dash(const char *name) {
    return strcmp(name, "-") == 0;
}

// Reads the options and checks the names. Every element from the source name
// on is compared with -l and -v, so a name spelt like an option sets it too.
int read_arguments(int argc, char **argv) {
    if (argc <= 2)
        return usage_error;
    if (pattern_with_several_matches(argv))
        return several_matches;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-l") == 0)
            state.strip_indent = 1;
        if (strcmp(argv[i], "-v") == 0)
            state.verbose = 1;
    }
    if (strcmp(argv[1], argv[2]) == 0 && !is_dash(argv[1]))
        return same_file;
    return 0;
}

// Checks the open source before the target is opened, because opening the
// target truncates it: a source that is a directory, that is the target or
// standard output under another name, or that cannot be read, leaves every
// file as it was.
int check_source(const char *target_name) {
    FILE *source = state.source;
    if (is_directory(source))
        return source_unreadable;
    if (is_same_open_file(source, stdout))
        return same_file_on_stdout;
    if (!is_dash(target_name)) {
        int same = is_same_file(source, target_name);
        if (same != 0)
            return same > 0 ? same_file : target_unwritable;
        if (state.strip_indent && state.verbose && is_regular_file(stdout) &&
            is_same_file(stdout, target_name) != 0)
            return same_file_on_stdout;
    }
    if (look_ahead(is_regular_file(source)) != 0)
        return read_failed;
    return 0;
}

// Opens the source, checks it, and only then opens the target. On failure no
// stream is left open.
int open_streams(char **argv) {
    FILE *source = is_dash(argv[1]) ? binary_stdin() : fopen(argv[1], "rb");
    if (!source)
        return source_unreadable;
    state.source = source;
    give_buffer(source, source_buffer, buffer_size);
    int code = check_source(argv[2]);
    if (code == 0 && !(state.target = is_dash(argv[2]) ? stdout : fopen(argv[2], "w")))
        code = target_unwritable;
    if (code != 0) {
        fclose(source);
        return code;
    }
    if (give_buffer(state.target, target_buffer, buffer_size))
        state.terminal = state.target;
    else if (state.target != stdout && give_buffer(stdout, report_buffer, sizeof report_buffer))
        state.terminal = stdout;
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
    if (fclose(stdout) != 0 && code == 0)
        return write_failed;
    return code;
}

} // namespace

int main(int argc, char **argv) {
    keep_standard_streams_apart();
    int code = read_arguments(argc, argv);
    if (code == 0)
        code = open_streams(argv);
    if (code == 0) {
        run_filter();
        code = close_streams();
    }
    if (code == same_file_on_stdout)
        return same_file; // nothing written: standard output is the user's file
    if (code != 0)
        show_message(code, argv);
    return close_stdout(code);
}
