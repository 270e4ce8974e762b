#include "one_pass.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>

namespace {

struct memory_source {
    const std::string *bytes;
    size_t offset;
};

// A read-only stream without a seek function, as a pipe is.
ssize_t read_memory(void *cookie, char *buffer, size_t size) {
    memory_source *source = static_cast<memory_source *>(cookie);
    size_t n = std::min(source->bytes->size() - source->offset, size);
    memcpy(buffer, source->bytes->data() + source->offset, n);
    source->offset += n;
    return static_cast<ssize_t>(n);
}

} // namespace

std::string convert(const std::string &input, filter_options options, source_kind kind,
                    int target_writes_crlf, bool *sound, std::int64_t first_line) {
    memory_source memory{&input, 0};
    cookie_io_functions_t functions{read_memory, nullptr, nullptr, nullptr};
    FILE *source = kind == regular_file_source
                       ? fmemopen(const_cast<char *>(input.data()), input.size(), "r")
                       : fopencookie(&memory, "r", functions);
    char *output = nullptr;
    size_t output_size = 0;
    FILE *target = open_memstream(&output, &output_size);
    if (!source || !target)
        abort();
    *sound = start_pass({source, kind, options, target_writes_crlf}) == 0;
    set_pass_target(target, nullptr);
    set_line_number(first_line);
    run_filter();
    fflush(stdout);
    *sound = *sound && !ferror(source) && pass_at_end();
    fclose(source);
    fclose(target);
    std::string result(output, output_size);
    free(output);
    return result;
}
