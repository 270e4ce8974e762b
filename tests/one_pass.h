// One pass of the filter over bytes in memory, as the tool runs it: for the
// filter's tests and its fuzzer.
#ifndef TARVO_TESTS_ONE_PASS_H
#define TARVO_TESTS_ONE_PASS_H

#include "filter.h"

#include <cstdint>
#include <string>

// Runs a pass over the input, from a source that can seek (as a file) or
// one that cannot (as a pipe), into a target that writes CR LF by itself or
// not, and returns what the target was given. The -v report goes to
// standard output, its count going on from first_line. *sound says whether
// the pass started, read no error and ended at the end of its input.
std::string convert(const std::string &input, filter_options options, source_kind kind,
                    int target_writes_crlf, bool *sound, std::int64_t first_line = 0);

#endif
