// Runs the built tool as a user would: in a folder of its own, with chosen
// standard streams, and collects what it wrote and how it ended.
#ifndef TARVO_TESTS_RUN_TOOL_H
#define TARVO_TESTS_RUN_TOOL_H

#include <cstddef>
#include <fcntl.h>
#include <string>
#include <utility>
#include <vector>

struct tool_streams {
    std::string input;             // written to standard input through a pipe
    std::string input_path;        // when set, standard input is opened from here instead
    int input_flags = 0;           // open flags for input_path (O_RDONLY is 0)
    bool input_unreadable = false; // standard input is the write end of a pipe
    bool input_closed = false;     // standard input is closed
    // Standard input is a socket that holds input and then fails with a
    // reset connection, as a read error in the middle of a pass.
    bool input_reset = false;
    // Standard input and output are one socket, as inetd and systemd start a
    // filter: it holds input, and takes the output back.
    bool one_socket = false;
    // Further parts of input, each written once standard output shows the
    // text paired with it. Where it does not within 30 seconds the row
    // fails, and standard input is closed without the rest.
    std::vector<std::pair<std::string, std::string>> input_after; // {awaited text, part}
    std::string output_path;     // when set, standard output goes here instead of a pipe
    int output_flags = O_WRONLY; // open flags for output_path
    bool output_closed = false;  // standard output is closed
    bool output_unread = false;  // standard output is a pipe whose reader has gone
    bool error_closed = false;   // standard error is closed
    // When set, standard output is a pipe whose reader takes this many bytes
    // and goes away, as head -c does.
    std::size_t output_taken = 0;
    std::size_t output_offset = 0; // where standard output stands in output_path
    bool terminal = false; // standard output is a pseudo-terminal that passes bytes as they are
    // Standard input is that terminal too, as for a person typing at it:
    // input is typed into it, and it stays open until the tool ends.
    bool typed = false;
    std::string locale; // when set, LC_ALL for the tool
    // Windows: the tool is started by a batch file that Wine's cmd runs,
    // as @"tarvo".exe and the arguments, with the tool's folder on the PATH.
    bool batch_file = false;
    // Windows: the build of the tool whose ANSI code page is not UTF-8, as
    // every Windows before 10 version 1903 runs it (Wine: code page 1252).
    bool legacy_code_page = false;
};

struct tool_run {
    int status = -1; // exit status, or -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs the tool in dir with the given arguments (without the program name).
tool_run run_tool(const std::string &dir, const std::vector<std::string> &args,
                  const tool_streams &streams = {});

// The tool as it is run.
std::string tool_path();

// The program name the tool sees as element 0.
std::string program_name();

// True when the tool is a Windows build, run under Wine: its text streams
// write every line feed as CR LF.
bool tool_is_windows();

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);

#endif
