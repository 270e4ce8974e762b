// libFuzzer target: runs the filter over the input under every combination
// of -l and -v, from a seekable and from a non-seekable source, into a target
// that writes CR LF by itself and into one that does not, and compares the
// target byte for byte with a small model of the filter of its own.
#include "one_pass.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// What the target must hold, worked out over the whole input at once rather
// than through a stream. A '>' that is not itself the byte right after a
// checked '>' is checked: a '<' right after it gets a line break. A line
// break is CR LF while the source's latest line end is CR LF; before the
// first one, a seekable source takes the form of its first line end and a
// pipe takes LF. Under -l the spaces and tabs after each line feed go. A
// target in text mode writes CR LF by itself: it is given the CR of no CR LF,
// and only line feeds as breaks.
std::string model(const uint8_t *in, size_t size, bool strip, bool seekable, bool text_mode) {
    const uint8_t *first_lf = static_cast<const uint8_t *>(memchr(in, '\n', size));
    bool crlf = !text_mode && seekable && first_lf && first_lf > in && first_lf[-1] == '\r';
    bool checked = false, line_start = false;
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        uint8_t c = in[i];
        if (line_start && (c == ' ' || c == '\t'))
            continue;
        line_start = false;
        if (text_mode && c == '\r' && i + 1 < size && in[i + 1] == '\n') {
            checked = false;
            continue;
        }
        if (checked && c == '<')
            out += crlf ? "\r\n" : "\n";
        out += static_cast<char>(c);
        if (c == '\n') {
            crlf = !text_mode && i > 0 && in[i - 1] == '\r';
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
    const std::string input(reinterpret_cast<const char *>(data), size);
    for (int run = 0; run < 16; ++run) {
        int strip = run & 1, verbose = run >> 1 & 1, seekable = run >> 2 & 1, text_mode = run >> 3;
        bool sound = false;
        const std::string target =
            convert(input, {strip, verbose}, seekable ? regular_file_source : stream_source,
                    text_mode, &sound);
        if (!sound || target != model(data, size, strip, seekable, text_mode))
            abort();
    }
    return 0;
}
