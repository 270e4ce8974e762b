// libFuzzer target: runs the filter over the input under every combination
// of -l and -v, from a seekable and from a non-seekable source, and compares
// the target byte for byte with a small model of the filter of its own.
#include "filter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct memory_source {
    const uint8_t *data;
    size_t size;
    size_t offset;
};

// A read-only stream without a seek function, as a pipe is.
ssize_t read_memory(void *cookie, char *buffer, size_t size) {
    memory_source *source = static_cast<memory_source *>(cookie);
    size_t n = source->size - source->offset < size ? source->size - source->offset : size;
    memcpy(buffer, source->data + source->offset, n);
    source->offset += n;
    return static_cast<ssize_t>(n);
}

std::string convert(const uint8_t *data, size_t size, int strip, int verbose, bool seekable) {
    memory_source memory{data, size, 0};
    cookie_io_functions_t functions{read_memory, nullptr, nullptr, nullptr};
    char *output = nullptr;
    size_t output_size = 0;
    state = filter_state{};
    state.strip_indent = strip;
    state.verbose = verbose;
    state.source = seekable ? fmemopen(const_cast<uint8_t *>(data), size, "r")
                            : fopencookie(&memory, "r", functions);
    state.target = open_memstream(&output, &output_size);
    if (!state.source || !state.target)
        abort();
    if (look_ahead(seekable) != 0)
        abort();
    run_filter();
    if (ferror(state.source) || state.current_char != EOF)
        abort();
    fclose(state.source);
    fclose(state.target);
    std::string result(output, output_size);
    free(output);
    return result;
}

// What the target must hold, worked out over the whole input at once rather
// than through a stream. A '>' that is not itself the byte right after a
// checked '>' is checked: a '<' right after it gets a line break. A line
// break is CR LF while the source's latest line end is CR LF; before the
// first one, a seekable source takes the form of its first line end and a
// pipe takes LF. Under -l the spaces and tabs after each line feed go.
std::string model(const uint8_t *in, size_t size, bool strip, bool seekable) {
    const uint8_t *first_lf = static_cast<const uint8_t *>(memchr(in, '\n', size));
    bool crlf = seekable && first_lf && first_lf > in && first_lf[-1] == '\r';
    bool checked = false, line_start = false;
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        uint8_t c = in[i];
        if (line_start && (c == ' ' || c == '\t'))
            continue;
        line_start = false;
        if (checked && c == '<')
            out += crlf ? "\r\n" : "\n";
        out += static_cast<char>(c);
        if (c == '\n') {
            crlf = i > 0 && in[i - 1] == '\r';
            line_start = strip;
        }
        checked = c == '>' && !checked;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // -v reports go to standard output; keep them out of the fuzzer's log.
    if (!freopen("/dev/null", "w", stdout))
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    for (int seekable = 0; seekable < 2; ++seekable) {
        for (int options = 0; options < 4; ++options) {
            int strip = options & 1, verbose = options >> 1;
            if (convert(data, size, strip, verbose, seekable) != model(data, size, strip, seekable))
                abort();
        }
    }
    return 0;
}
