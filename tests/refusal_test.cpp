// The refusals of a run, decided from records of its files alone: each row
// is what the standard streams, the source and the target are, and the
// status that the source's and the target's checks must give.
#include "refusals.h"
#include "tarvo.h"

#include "table.h"

#include <gtest/gtest.h>

namespace {

// A file identified on volume 1 by the number n.
file_info file(file_kind kind, unsigned char n) {
    file_info info = {};
    info.kind = kind;
    info.identified = info.volume_known = 1;
    info.volume = 1;
    info.id[0] = n;
    return info;
}

// The same file as a handle that Wine inherited from a Unix shell shows it:
// its id without its volume.
file_info without_volume(file_info info) {
    info.volume_known = 0;
    info.volume = 0;
    return info;
}

file_info on_volume(file_info info, unsigned long long volume) {
    info.volume = volume;
    return info;
}

const file_info tty = file(terminal, 1), page = file(disk_file, 2), old = file(disk_file, 3),
                fifo = file(pipe_file, 4), socket = file(other_file, 5),
                null = file(other_device, 6), folder = file(directory, 7),
                closed = file(closed_stream, 8), pipe_out = file(pipe_file, 9);
// A Windows disk file, or a pipe, whose identity cannot be had.
const file_info page_unknown = {disk_file, 0, 0, 0, {}}, nothing = {};

struct refusal_case : table::row {
    file_info in, out, err, source, target;
    target_route route;
    int source_status, target_status;
    int target_made = 0;
    // What refuse_names gives where source and target are the names' records.
    int names_status = 0;
    int stdout_cannot_cut = 0;
};

// clang-format off
const refusal_case cases[] = {
    // name                        in      out       err       source   target  route      source, target
    {"two_files",                  tty,    tty,      tty,      page,    old,    opened_target,  0, 0},
    {"source_directory",           tty,    tty,      tty,      folder,  nothing,unopenable,     source_unreadable, target_unusable},
    {"source_closed_stream",       closed, tty,      tty,      closed,  old,    opened_target,  read_failed, 0},
    {"source_is_stdout_pipe",      tty,    pipe_out, tty,      pipe_out,old,    opened_target,  read_failed, 0},
    {"source_is_stderr_pipe",      tty,    tty,      pipe_out, pipe_out,old,    opened_target,  read_failed, 0},
    {"source_fifo_of_stdin",       fifo,   pipe_out, tty,      fifo,    old,    opened_target,  0, 0},
    {"one_socket_both_ways",       socket, socket,   tty,      socket,  socket, through_stdout, 0, 0},
    {"stdout_is_source",           tty,    page,     tty,      page,    page,   through_stdout, same_file, 0},
    {"stdout_is_source_wine",      tty,    without_volume(page), tty, page, old, opened_target, same_file, 0},
    {"stdout_unknown_disk",        tty,    page_unknown, tty,  page,    old,    opened_target,  same_file, 0},
    {"stdout_other_file",          tty,    old,      tty,      page,    old,    through_stdout, 0, 0},
    {"stdout_device_over_target",  tty,    old,      tty,      page,    old,    through_stdout, 0, target_unusable, 0, 0, 1},
    {"stdout_source_terminal",     tty,    tty,      tty,      tty,     tty,    through_stdout, 0, 0},
    {"target_closed_stream",       tty,    tty,      tty,      page,    closed, opened_target,  0, output_lost},
    {"target_stdout_closed",       tty,    closed,   tty,      page,    closed, through_stdout, 0, output_lost},
    {"target_is_source",           tty,    tty,      tty,      page,    page,   opened_target,  0, same_file},
    {"target_is_source_wine",      tty,    tty,      tty,      without_volume(page), page, opened_target, 0, same_file},
    {"target_other_volume",        tty,    tty,      tty,      on_volume(page, 2), page, opened_target, 0, 0},
    {"target_unknown_disk",        tty,    tty,      tty,      page,    page_unknown, opened_target, 0, target_unusable},
    {"target_unknown_disk_made",   tty,    tty,      tty,      page_unknown, old, opened_target, 0, 0, 1},
    {"target_same_terminal",       tty,    null,     tty,      tty,     tty,    opened_target,  0, 0},
    {"target_same_device",         tty,    tty,      tty,      null,    null,   opened_target,  0, 0},
    {"target_unopenable",          tty,    tty,      tty,      page,    nothing,unopenable,     0, target_unusable},
    {"target_unopenable_source",   page,   tty,      tty,      page,    page,   unopenable,     0, same_file},
    {"target_is_stdin_pipe",       fifo,   tty,      tty,      page,    fifo,   opened_target,  0, target_unusable},
    {"target_other_pipe",          fifo,   tty,      tty,      page,    pipe_out, opened_target, 0, 0},
    {"fifo_named_twice",           tty,    tty,      tty,      fifo,    fifo,   unopenable,     0, same_file, 0, same_file},
    {"two_fifos",                  tty,    tty,      tty,      fifo,    pipe_out, opened_target, 0, 0},
};
// clang-format on

class RefusalTable : public testing::TestWithParam<refusal_case> {};

TEST_P(RefusalTable, StatusFromFiles) {
    const refusal_case &c = GetParam();
    const run_files files = {c.in,     c.out,   c.err,         c.source,
                             c.target, c.route, c.target_made, c.stdout_cannot_cut};
    EXPECT_EQ(refuse_source(files), c.source_status);
    EXPECT_EQ(refuse_target(files), c.target_status);
    EXPECT_EQ(refuse_names(c.source, c.target), c.names_status);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusalTable, testing::ValuesIn(cases), row_name);

} // namespace
