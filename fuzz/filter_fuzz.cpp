// libFuzzer target: runs the filter over the input under every combination
// of -l and -v, from a seekable and from a non-seekable source, and checks
// that nothing is lost and that -l leaves no indentation behind.
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
    if (probe_line_end() != 0)
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

// Without -l the output is the input with line breaks (LF or CR LF) put in
// between some '>' and the '<' that follows it; nothing else differs.
bool only_breaks_added(const uint8_t *in, size_t size, const std::string &out) {
    size_t i = 0, o = 0;
    while (o < out.size()) {
        if (i < size && static_cast<uint8_t>(out[o]) == in[i]) {
            ++i, ++o;
            continue;
        }
        size_t gap = out.compare(o, 2, "\r\n") == 0 ? 2 : out[o] == '\n' ? 1 : 0;
        if (gap == 0 || o == 0 || out[o - 1] != '>' || i >= size || in[i] != '<')
            return false;
        o += gap;
    }
    return i == size;
}

// With -l no line after a line feed starts with a space or a tab.
bool no_indentation(const std::string &out) {
    for (size_t o = 0; o + 1 < out.size(); ++o)
        if (out[o] == '\n' && (out[o + 1] == ' ' || out[o + 1] == '\t'))
            return false;
    return true;
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
            std::string out = convert(data, size, strip, verbose, seekable);
            if (!strip && !only_breaks_added(data, size, out))
                abort();
            if (strip && !no_indentation(out))
                abort();
        }
    }
    return 0;
}
