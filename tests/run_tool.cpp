#include "run_tool.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

std::string tool_path() {
    return TARVO_EXE;
}

std::string program_name() {
    if (!tool_is_windows())
        return tool_path();
    std::string name = "Z:" + tool_path(); // Wine's drive for the Unix root
    for (char &c : name)
        if (c == '/')
            c = '\\';
    return name;
}

bool tool_is_windows() {
    return TARVO_WINDOWS_TOOL;
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

namespace {

[[noreturn]] void exec_tool(const std::string &dir, const std::vector<std::string> &args,
                            const tool_streams &streams, int in, int out, int err) {
    if (chdir(dir.c_str()) != 0)
        _exit(126);
    // A tool that reads back what it writes would fill the disk: no test
    // writes a file anywhere near this size.
    rlimit size = {64 << 20, 64 << 20};
    setrlimit(RLIMIT_FSIZE, &size);
    if (!streams.input_path.empty()) {
        in = open(streams.input_path.c_str(), streams.input_flags);
        if (in < 0)
            _exit(126);
    }
    int unreadable[2];
    if (streams.input_unreadable && pipe(unreadable) == 0)
        in = unreadable[1];
    if (!streams.output_path.empty()) {
        out = open(streams.output_path.c_str(), streams.output_flags);
        if (out < 0 || lseek(out, streams.output_offset, SEEK_SET) < 0)
            _exit(126);
    }
    int unread[2];
    if (streams.output_unread && pipe(unread) == 0) {
        close(unread[0]);
        out = unread[1];
    }
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (streams.input_closed)
        close(0);
    if (streams.output_closed)
        close(1);
    if (streams.error_closed)
        close(2);
    if (!streams.locale.empty())
        setenv("LC_ALL", streams.locale.c_str(), 1);
    // The words that start the tool: Wine, an emulator or a loader; none for
    // a tool that this machine runs by itself.
    std::vector<std::string> words = TARVO_LAUNCHER;
    if (tool_is_windows()) {
        setenv("WINEDEBUG", "-all", 1); // Wine's own diagnostics go to standard error
        setenv("WINEPREFIX", TARVO_WINE_PREFIX, 1);
    }
    if (streams.batch_file) {
        std::string line = "@\"tarvo\".exe";
        for (const std::string &arg : args)
            line += " " + arg;
        write_file("run.bat", line + "\r\n");
        std::string folder = program_name();
        setenv("WINEPATH", folder.substr(0, folder.rfind('\\')).c_str(), 1);
        words.insert(words.end(), {"cmd", "/c", "run.bat"});
    } else {
        words.push_back(streams.legacy_code_page ? TARVO_LEGACY_EXE : tool_path());
        words.insert(words.end(), args.begin(), args.end());
    }
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    alarm(60); // a run that hangs is ended, and its row fails, rather than the suite stalling
    execvp(argv[0], argv.data());
    _exit(127);
}

// Feeds standard input and drains standard output and error together, so
// that neither side blocks on a full pipe. Standard output is read up to
// streams.output_taken bytes, where that is set, and then closed.
void exchange(int in, int out, int err, const tool_streams &streams, tool_run &run) {
    const std::size_t taken = streams.output_taken;
    using namespace std::chrono;
    std::string input = streams.input_reset || streams.one_socket ? "" : streams.input;
    size_t written = 0, part = 0;
    const auto deadline = steady_clock::now() + seconds(30);
    fcntl(in, F_SETFL, O_NONBLOCK); // a write must never wait for the tool
    while (out >= 0 || err >= 0) {
        // With its part written, standard input takes the next part once
        // standard output shows the text awaited, or is closed after the last.
        while (in >= 0 && written == input.size()) {
            if (part == streams.input_after.size()) {
                close(in);
                in = -1;
            } else if (run.out.find(streams.input_after[part].first) != std::string::npos) {
                input = streams.input_after[part++].second;
                written = 0;
            } else {
                break;
            }
        }
        const bool awaiting = in >= 0 && written == input.size();
        const long long left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        const int wait = awaiting ? static_cast<int>(std::max(left, 0LL)) : -1;
        pollfd fds[3] = {{awaiting ? -1 : in, POLLOUT, 0}, {out, POLLIN, 0}, {err, POLLIN, 0}};
        int ready = poll(fds, 3, wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready == 0) {
            ADD_FAILURE() << "standard output never showed "
                          << testing::PrintToString(streams.input_after[part].first);
            close(in);
            in = -1;
        }
        if (in >= 0 && fds[0].revents) {
            ssize_t n = write(in, input.data() + written, input.size() - written);
            if (n > 0)
                written += n;
            if (n < 0 && errno != EAGAIN) {
                close(in);
                in = -1;
            }
        }
        int *readers[2] = {&out, &err};
        std::string *sinks[2] = {&run.out, &run.err};
        for (int i = 0; i < 2; ++i) {
            if (*readers[i] < 0 || !fds[i + 1].revents)
                continue;
            char buffer[65536];
            ssize_t n = read(*readers[i], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n > 0)
                sinks[i]->append(buffer, n);
            const bool enough = i == 0 && taken && run.out.size() >= taken;
            if (enough)
                run.out.resize(taken);
            if (n <= 0 || enough) {
                close(*readers[i]);
                *readers[i] = -1;
            }
        }
    }
    if (in >= 0)
        close(in);
}

// A local socket holding input, whose peer went away with a byte unread: a
// read returns the input and then fails with ECONNRESET.
int reset_socket(const std::string &input) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0 ||
        write(ends[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()) ||
        write(ends[0], "x", 1) != 1)
        return -1;
    close(ends[1]);
    return ends[0];
}

} // namespace

tool_run run_tool(const std::string &dir, const std::vector<std::string> &args,
                  const tool_streams &streams) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(err) != 0)
        return {};
    if (streams.input_reset) {
        close(in[0]);
        if ((in[0] = reset_socket(streams.input)) < 0)
            return {};
    }
    if (streams.one_socket) {
        // Input written and its end shut before the start; the output is read
        // from the other end until the tool closes its own.
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0 ||
            write(ends[1], streams.input.data(), streams.input.size()) !=
                static_cast<ssize_t>(streams.input.size()))
            return {};
        shutdown(ends[1], SHUT_WR);
        close(in[0]);
        in[0] = ends[0];
        out[0] = ends[1];
        out[1] = dup(ends[0]);
    } else if (streams.terminal) {
        // Raw mode: the terminal passes the tool's bytes without turning LF
        // into CR LF.
        termios raw;
        if (openpty(&out[0], &out[1], nullptr, nullptr, nullptr) != 0)
            return {};
        tcgetattr(out[1], &raw);
        cfmakeraw(&raw);
        tcsetattr(out[1], TCSANOW, &raw);
        if (streams.typed) {
            // Typed into the terminal, which its second handle keeps open.
            close(in[0]);
            close(in[1]);
            in[0] = dup(out[1]);
            in[1] = dup(out[0]);
        }
    } else if (pipe(out) != 0) {
        return {};
    }
    signal(SIGPIPE, SIG_IGN);
    pid_t child = fork();
    if (child == 0) {
        signal(SIGPIPE, SIG_DFL); // the tool starts as a shell would start it
        close(in[1]);
        close(out[0]);
        close(err[0]);
        exec_tool(dir, args, streams, in[0], out[1], err[1]);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    tool_run run;
    exchange(in[1], out[0], err[0], streams, run);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
