// End-to-end tests: the built tool in a folder of its own, checked by the
// exact bytes of standard output and the files, the exit status, and an
// empty standard error.
#include "run_tool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string banner = "\n"
                           " ************************\n"
                           " ***      Tarvo       ***\n"
                           " ************************\n"
                           "\n"
                           " Version " TARVO_VERSION ", " TARVO_VERSION_DATE "\n"
                           "\n";

std::string usage(const std::string &program) {
    return banner +
           " F\x81gt in HTML-Dateien zwischen schlie\xE1"
           "ende und \x94"
           "ffnende spitze Klammern einen Zeilenumbruch ein.\n\n"
           " Syntax: " +
           program +
           " <Quelldatei> <Zieldatei> [Optionen]\n\n"
           " Optionen (durch Leerzeichen getrennt):\n"
           "  -l\tEntfernt Leerzeichen und Tabulatorzeichen am Zeilenanfang.\n"
           "  -v\tAusf\x81hrliche Ausgabe mit Zeilennummern.\n\n"
           " Statt eines Dateinamens f\x81r die Quelldatei (Zieldatei) kann als 1. (2.) Parameter\n"
           " auch - f\x81r die Standardeingabe (Standardausgabe) angegeben werden.\n";
}

// What the tool prints for a message code, naming the given name.
std::string message(int code, const std::string &name) {
    switch (code) {
    case 1:
        return usage(name);
    case 2:
        return banner + " Quell- und Zieldateiname \"" + name +
               "\" sind indentisch.\n Bitte geben Sie verschiedene Dateinamen ein.\n";
    case 3:
        return banner + " Die Quelldatei \"" + name + "\" existiert nicht.\n";
    case 4:
        return banner + " Die Zieldatei \"" + name + "\" kann nicht ge\x94" + "ffnet werden.\n";
    case 5:
        return banner + " Fehler beim Lesen der Quelldatei \"" + name + "\".\n";
    case 6:
        return banner + " Fehler beim Schreiben der Zieldatei \"" + name + "\".\n";
    case 7:
        return banner + " Das Muster \"" + name +
               "\" passt auf mehrere Dateien.\n Bitte geben Sie einen eindeutigen Dateinamen "
               "ein.\n";
    case 8:
        return banner + " Zu viele Dateinamen: \"" + name +
               "\" ist keine Option.\n Bitte geben Sie genau eine Quelldatei und eine Zieldatei "
               "an.\n";
    }
    ADD_FAILURE() << "no message " << code;
    return "";
}

// The page every test folder holds, and what becomes of it.
const std::string page = "<p><b>x</b>\n  </p>\n\t<ul><li>a</li>\n</ul>";
const std::string page_plain = "<p>\n<b>x</b>\n  </p>\n\t<ul>\n<li>a</li>\n</ul>";
const std::string page_stripped = "<p>\n<b>x</b>\n</p>\n<ul>\n<li>a</li>\n</ul>";
const std::string page_report = "Zeile    1: \t**\nZeile    2: \t*\nZeile    3: \t\n";
// Target - with -l -v: each report line right after the line feed it counts.
const std::string page_interleaved = "<p>\n<b>x</b>\n"
                                     "Zeile    1: \t**\n"
                                     "</p>\n"
                                     "Zeile    2: \t*\n"
                                     "<ul>\n<li>a</li>\n"
                                     "Zeile    3: \t\n"
                                     "</ul>";
// Enough pages that the report lines fill a stream buffer during the run.
std::string repeat(const std::string &text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}
const std::string many_pages = repeat(page + "\n", 300);
const std::string many_stripped = repeat(page_stripped + "\n", 300);
const std::string crlf_page = "<p><b>x</b>\r\n  </p>\r\n";
const std::string ff_page = "a\xff<b><c>\n \xff<d>";
const std::string ctrl_z_page = "<a>\x1a<b><c>";
const std::string ctrl_z_plain = "<a>\x1a<b>\n<c>";
// Names outside every ANSI code page but UTF-8.
const std::string omega = "\u03a9.html", japan = "\u65e5\u672c.html";
// page.html in 261 characters, past the 260 of a Windows path.
const std::string long_page = repeat("./", 126) + "page.html";
const std::string kept = "keep me";
// A sparse source past 4 GiB: a first line that ends in CR LF, then a hole.
// A 32-bit build without 64-bit file offsets cannot open it, or cannot see
// that it is a regular file, whose first line end the breaks inserted into
// that line take.
const std::string large_start = "<a><b>\r\n";
const off_t large_size = off_t(9) << 29;

// Text mode on Windows writes every line feed as CR LF.
std::string as_written(const std::string &bytes) {
    if (!tool_is_windows())
        return bytes;
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            text += '\r';
        text += bytes[i];
    }
    return text;
}

// A file to check after a run, besides page.html, which must never change.
struct file_check {
    std::string name; // empty: nothing more to check
    bool exists = false;
    std::string bytes; // what the tool made of it
};

file_check holds(const std::string &name, const std::string &bytes) {
    return {name, true, bytes};
}

file_check absent(const std::string &name) {
    return {name, false, ""};
}

// old.html as every test folder holds it.
const file_check old_kept = holds("old.html", kept);

class ToolTest : public testing::Test {
  protected:
    std::string dir;

    void SetUp() override {
        char name[] = "/tmp/tarvo-test-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
        write_file(dir + "/page.html", page);
        write_file(dir + "/old.html", kept);
        write_file(dir + "/crlf.html", crlf_page);
        write_file(dir + "/ff.html", ff_page);
        write_file(dir + "/ctrl-z.html", ctrl_z_page);
        write_file(dir + "/cr.html", "a\rb\r\n<c><d>\r\r\n");
        write_file(dir + "/" + omega, page);
        write_file(dir + "/my page.html", page);
        write_file(dir + "/-", kept);
        write_file(dir + "/large.html", large_start);
        ASSERT_EQ(truncate((dir + "/large.html").c_str(), large_size), 0);
        ASSERT_EQ(mkdir((dir + "/dir").c_str(), 0755), 0);
        ASSERT_EQ(link((dir + "/page.html").c_str(), (dir + "/hard.html").c_str()), 0);
        ASSERT_EQ(symlink("page.html", (dir + "/soft.html").c_str()), 0);
        ASSERT_EQ(symlink("new.html", (dir + "/dangling.html").c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);
    }

    void expect_file(const file_check &file) {
        if (file.name.empty())
            return;
        std::string path = dir + "/" + file.name;
        if (!file.exists)
            EXPECT_NE(access(path.c_str(), F_OK), 0) << file.name << " was created";
        else
            EXPECT_EQ(read_file(path), as_written(file.bytes)) << "in " << file.name;
    }
};

enum platforms { everywhere, posix, windows };

tool_streams from_stdin(const std::string &input) {
    tool_streams streams;
    streams.input = input;
    return streams;
}

tool_streams from_file(const std::string &path, int flags = O_RDONLY) {
    tool_streams streams;
    streams.input_path = path;
    streams.input_flags = flags;
    return streams;
}

tool_streams to_file(const std::string &path, int flags = O_WRONLY, const std::string &in = "") {
    tool_streams streams = from_file(in);
    streams.output_path = path;
    streams.output_flags = flags;
    return streams;
}

const int append = O_WRONLY | O_APPEND;

tool_streams to_full() {
    return to_file("/dev/full");
}

// Streams fed with input, with one of the switches of tool_streams on.
tool_streams with(bool tool_streams::*what, const std::string &input = "") {
    tool_streams streams = from_stdin(input);
    streams.*what = true;
    return streams;
}

tool_streams closed_stdout(const std::string &input = "") {
    return with(&tool_streams::output_closed, input);
}
tool_streams unread_stdout(const std::string &input) {
    return with(&tool_streams::output_unread, input);
}
tool_streams unreadable_stdin() {
    return with(&tool_streams::input_unreadable);
}
tool_streams closed_stdin() {
    return with(&tool_streams::input_closed);
}
tool_streams closed_stderr() {
    return with(&tool_streams::error_closed);
}
tool_streams reset_stdin(const std::string &input) {
    return with(&tool_streams::input_reset, input);
}
tool_streams batch_file() {
    return with(&tool_streams::batch_file);
}
tool_streams on_terminal() {
    return with(&tool_streams::terminal);
}
// A pipe fed line by line onto a terminal: the next line only once the
// report of the line feed before it shows.
tool_streams slow_pipe_on_terminal() {
    tool_streams streams = with(&tool_streams::terminal, "a\nb");
    streams.input_after = {{"Zeile    1: \t\n", "\nc"}};
    return streams;
}

tool_streams first_bytes(std::size_t count) {
    tool_streams streams;
    streams.output_taken = count;
    return streams;
}

// run_tool's status for a run ended by a signal.
const int killed = -1;

// Runs that convert and end with status 0, or killed where standard
// output's reader went away first. Standard output holds exactly out; on a
// Windows console, only the file is checked.
struct conversion {
    const char *name;
    std::vector<std::string> args;
    tool_streams streams;
    std::string out;
    file_check file;
    platforms only = everywhere;
    int status = 0;
};

// clang-format off
const conversion conversions[] = {
    {"file_to_file", {"page.html", "out.html"}, {}, "", holds("out.html", page_plain)},
    {"stdin_to_stdout", {"-", "-"}, from_stdin(page), page_plain, {}},
    {"stdin_to_file", {"-", "out.html"}, from_stdin(page), "", holds("out.html", page_plain)},
    {"file_to_stdout", {"page.html", "-"}, {}, page_plain, {}},
    {"target_overwritten", {"page.html", "old.html"}, {}, "", holds("old.html", page_plain)},
    {"strip", {"page.html", "out.html", "-l"}, {}, "", holds("out.html", page_stripped)},
    {"strip_report", {"page.html", "out.html", "-l", "-v"}, {}, page_report,
     holds("out.html", page_stripped)},
    {"report_order", {"-", "-", "-v", "-l"}, from_stdin(page), page_interleaved, {}},
    {"verbose_alone", {"page.html", "out.html", "-v"}, {}, "", holds("out.html", page_plain)},
    {"unknown_options", {"page.html", "out.html", "-x", "-lv", "--", "-", ""}, {}, "",
     holds("out.html", page_plain)},
    {"target_named_v", {"page.html", "-v"}, {}, "", holds("-v", page_plain)},
    {"target_link_to_none", {"page.html", "dangling.html"}, {}, "", holds("new.html", page_plain),
     posix},
    {"target_named_v_strip", {"page.html", "-v", "-l"}, {}, page_report,
     holds("-v", page_stripped)},
    {"crlf_report", {"crlf.html", "-", "-l", "-v"}, {},
     "<p>\r\n<b>x</b>\r\nZeile    1: \t**\n</p>\r\nZeile    2: \t\n", {}},
    {"byte_ff", {"ff.html", "out.html", "-l"}, {}, "", holds("out.html", "a\xff<b>\n<c>\n\xff<d>")},
    {"ctrl_z_file", {"ctrl-z.html", "out.html"}, {}, "", holds("out.html", ctrl_z_plain)},
    {"ctrl_z_stdin", {"-", "-"}, from_file("ctrl-z.html"), ctrl_z_plain, {}},
    {"ctrl_z_pipe", {"-", "-"}, from_stdin(ctrl_z_page), ctrl_z_plain, {}},
    {"lone_and_paired_cr", {"cr.html", "-"}, {}, "a\rb\r\n<c>\r\n<d>\r\r\n", {}},
    {"names_outside_ansi", {omega, japan}, {}, "", holds(japan, page_plain)},
    {"other_letter_case_other_file", {"page.html", "PAGE.HTML"}, {}, "",
     holds("PAGE.HTML", page_plain), posix},
    // A target that names the file standard output holds is written through
    // standard output: appended to, not truncated, report lines in order.
    {"target_is_stdout_file", {"page.html", "old.html"}, to_file("old.html", append), "",
     holds("old.html", kept + page_plain)},
    {"target_is_stdout_file_report", {"page.html", "old.html", "-l", "-v"},
     to_file("old.html", append), "", holds("old.html", kept + page_interleaved)},
    {"target_is_stdout_file_verbose", {"page.html", "old.html", "-v"}, to_file("old.html", append),
     "", holds("old.html", kept + page_plain)},
    {"report_shows_as_made", {"-", "out.html", "-l", "-v"}, slow_pipe_on_terminal(),
     "Zeile    1: \t\nZeile    2: \t\n", holds("out.html", "a\nb\nc"), posix},
    {"target_dev_stdout", {"page.html", "/dev/stdout"}, to_file("old.html", append), "",
     holds("old.html", kept + page_plain), posix},
    {"target_fd_1_in_pipe", {"page.html", "/proc/self/fd/1", "-l", "-v"}, {}, page_interleaved, {},
     posix},
    {"source_dev_stdin_pipe", {"/dev/stdin", "-"}, from_stdin(page), page_plain, {}, posix},
    {"source_is_stdin_file", {"page.html", "out.html"}, from_file("page.html", O_WRONLY), "",
     holds("out.html", page_plain), posix},
    {"stdout_null_source_null", {"/dev/null", "-"}, to_file("/dev/null"), "", {}, posix},
    {"null_both_sides", {"/dev/null", "/dev/../dev/null"}, {}, "", {}, posix},
    // Opened and converted from its start; a reader that takes the first
    // line ends the run (SIGPIPE) long before the hole is read.
    {"source_past_4_gib", {"large.html", "-"}, first_bytes(10), "<a>\r\n<b>\r\n", {}, posix,
     killed},
    {"pattern_one_match", {"pa*.html", "out.html"}, {}, "", holds("out.html", page_plain), windows},
    {"pattern_matches_dash_file", {"?", "out.html"}, {}, "", holds("out.html", kept), windows},
    {"quoted_name_with_spaces", {"\"my page.html\"", "out.html"}, batch_file(), "",
     holds("out.html", page_plain), windows},
    {"target_nul", {"page.html", "NUL", "-l", "-v"}, {}, page_report, {}, windows},
    {"target_con", {"page.html", "CON"}, on_terminal(), "", absent("CON"), windows},
};
// clang-format on

// Runs refused, or ended by a failure, with a message that names a name.
struct refusal {
    const char *name;
    std::vector<std::string> args;
    tool_streams streams;
    int status;
    std::string named;
    file_check file;
    platforms only = everywhere;
};

// clang-format off
const refusal refusals[] = {
    {"no_arguments", {}, {}, 1, program_name(), {}},
    {"one_argument", {"page.html"}, {}, 1, program_name(), {}},
    {"same_name", {"page.html", "page.html"}, {}, 2, "page.html", {}},
    {"strip_twice", {"-l", "-l"}, {}, 2, "-l", {}},
    {"other_spelling", {"page.html", "./page.html"}, {}, 2, "page.html", {}},
    {"hard_link", {"page.html", "hard.html"}, {}, 2, "page.html", {}},
    {"symbolic_link_source", {"soft.html", "page.html"}, {}, 2, "soft.html", {}},
    {"symbolic_link_target", {"page.html", "soft.html"}, {}, 2, "page.html", {}},
    {"stdin_is_target", {"-", "page.html"}, from_file("page.html"), 2, "page.html", {}},
    {"long_spelling", {"page.html", long_page}, {}, 2, "page.html", {}},
    {"device_spelling", {"page.html", "//./%CD%/page.html", "-l"}, batch_file(), 2, "page.html",
     {}, windows},
    {"other_letter_case", {"page.html", "PAGE.HTML"}, {}, 2, "page.html", {}, windows},
    {"missing_source", {"none.html", "out.html"}, {}, 3, "none.html", absent("out.html")},
    {"pattern_unmatched", {"zz*.html", "out.html"}, {}, 3, "zz*.html", absent("out.html")},
    {"source_directory", {"dir", "old.html"}, {}, 3, "dir", old_kept},
    {"stdin_directory", {"-", "old.html"}, from_file("dir"), 3, "-", old_kept, posix},
    {"target_directory", {"page.html", "dir"}, {}, 4, "dir", {}},
    {"target_folder_missing", {"page.html", "no/out.html"}, {}, 4, "no/out.html", {}},
    {"target_under_a_file", {"page.html", "page.html/out.html"}, {}, 4, "page.html/out.html", {}},
    {"read_error_at_start", {"/proc/self/mem", "old.html"}, {}, 5, "/proc/self/mem", old_kept},
    {"read_error_stdin", {"-", "old.html"}, from_file("crlf.html", O_WRONLY), 5, "-", old_kept,
     posix},
    {"read_error_pipe", {"-", "old.html"}, unreadable_stdin(), 5, "-", old_kept, posix},
    {"stdin_closed", {"-", "out.html"}, closed_stdin(), 5, "-", absent("out.html"), posix},
    {"stdin_closed_by_name", {"/dev/stdin", "out.html"}, closed_stdin(), 5, "/dev/stdin",
     absent("out.html"), posix},
    // A closed stream under any name fails as that stream does.
    {"stderr_closed_as_source", {"/dev/fd/2", "old.html"}, closed_stderr(), 5, "/dev/fd/2",
     old_kept, posix},
    {"stderr_closed_as_target", {"page.html", "/dev/stderr"}, closed_stderr(), 6, "/dev/stderr",
     {}, posix},
    // A target that the run created is removed again when the run fails.
    {"read_error_new_target", {"-", "new.html"}, unreadable_stdin(), 5, "-", absent("new.html"),
     posix},
    {"read_error_target_link_to_none", {"-", "dangling.html"}, unreadable_stdin(), 5, "-",
     absent("new.html"), posix},
    {"source_dev_stdin_socket", {"/dev/stdin", "out.html"}, reset_stdin("<a><b>"), 5,
     "/dev/stdin", holds("out.html", "<a>\n<b>"), posix},
    {"read_error_in_pass", {"-", "out.html"}, reset_stdin("<a><b>"), 5, "-",
     holds("out.html", "<a>\n<b>"), posix},
    {"read_error_before_write_error", {"-", "/dev/full"}, reset_stdin(many_pages), 5, "-", {},
     posix},
    {"write_error_file", {"page.html", "/dev/full"}, {}, 6, "/dev/full", {}, posix},
    {"write_error_file_at_close", {"page.html", "Z:\\dev\\full"}, {}, 6, "Z:\\dev\\full", {},
     windows},
    {"pattern_source", {"?a??.html", "out.html"}, {}, 7, "?a??.html", absent("out.html"), windows},
    {"pattern_target", {"old.html", "?a??.html"}, {}, 7, "?a??.html", {}, windows},
    {"pattern_before_surplus", {"old.html", "?a??.html", "x"}, {}, 7, "?a??.html", {}, windows},
    {"pattern_in_batch_file", {"?a??.html", "out.html"}, batch_file(), 7, "?a??.html",
     absent("out.html"), windows},
    // A third name where only options belong: a pattern that the shell
    // expanded into one name more, or options before a name.
    {"three_names", {"page.html", "out.html", "old.html"}, {}, 8, "old.html", absent("out.html")},
    {"option_first", {"-l", "page.html", "old.html"}, {}, 8, "old.html", old_kept},
    {"option_between", {"page.html", "-l", "out.html"}, {}, 8, "out.html", absent("-l")},
    {"surplus_before_same_names", {"old.html", "old.html", "page.html"}, {}, 8, "page.html",
     old_kept},
    {"surplus_after_option", {"page.html", "out.html", "-l", "old.html"}, {}, 8, "old.html",
     absent("out.html")},
    {"pattern_in_option_position", {"page.html", "out.html", "-l", "o*.html"}, {}, 8, "old.html",
     absent("out.html"), windows},
};
// clang-format on

// Runs that end with a status and print nothing: standard output is the
// source's file, so that a message would land in it, or it cannot be
// written.
struct silent_end {
    const char *name;
    std::vector<std::string> args;
    tool_streams streams;
    int status;
    file_check file;
    platforms only = everywhere;
};

// clang-format off
const silent_end silent_ends[] = {
    {"stdout_appended", {"page.html", "-"}, to_file("page.html", append), 2, {}},
    {"stdout_read_write", {"page.html", "-"}, to_file("page.html", O_RDWR), 2, {}},
    {"stdout_truncated", {"old.html", "-"}, to_file("old.html", O_WRONLY | O_TRUNC), 2,
     holds("old.html", "")},
    {"report_appended", {"page.html", "out.html", "-l", "-v"}, to_file("page.html", append), 2,
     absent("out.html")},
    {"stdin_appended", {"-", "-"}, to_file("page.html", append, "page.html"), 2, {}},
    {"stdout_source_before_target", {"page.html", "hard.html"}, to_file("page.html", append), 2,
     {}},
    {"usage_into_source", {"page.html"}, to_file("page.html", append), 1, {}},
    {"surplus_into_source", {"page.html", "out.html", "x"}, to_file("page.html", append), 8,
     absent("out.html")},
    {"same_names_into_source", {"page.html", "page.html"}, to_file("page.html", append), 2, {}},
    // A message that nobody reads any more keeps its status.
    {"message_reader_gone", {"none.html", "out.html"}, unread_stdout(""), 3, absent("out.html")},
    {"write_error_stdout", {"page.html", "-"}, to_full(), 6, {}, posix},
    {"write_error_report", {"page.html", "out.html", "-l", "-v"}, to_full(), 6,
     holds("out.html", page_stripped), posix},
    {"usage_to_full", {}, to_full(), 1, {}, posix},
    // The target must not take the closed standard output's place.
    {"stdout_closed", {"-", "out.html", "-l", "-v"}, closed_stdout(many_pages), 6,
     holds("out.html", many_stripped), posix},
    {"stdout_closed_by_name", {"page.html", "/dev/stdout"}, closed_stdout(), 6, {}, posix},
    {"stdout_closed_as_source", {"/dev/stdout", "old.html"}, closed_stdout(), 5, old_kept, posix},
    // A reader of the report that goes away does not stop the target.
    {"report_reader_gone", {"-", "out.html", "-l", "-v"}, unread_stdout(many_pages), 6,
     holds("out.html", many_stripped)},
    // What standard output is does not change why a target cannot be opened.
    {"target_unopenable_report_to_file", {"/dev/null", "page.html/x.html", "-l", "-v"},
     to_file("old.html", O_WRONLY | O_TRUNC), 4, holds("old.html", message(4, "page.html/x.html")),
     posix},
};
// clang-format on

// One row of any of the tables above, as the test runs it.
struct cli_case {
    const char *name;
    std::vector<std::string> args;
    tool_streams streams;
    int status;
    std::string out;
    file_check file;
    platforms only;
};

std::vector<cli_case> all_cases() {
    std::vector<cli_case> all;
    for (const conversion &c : conversions)
        all.push_back({c.name, c.args, c.streams, c.status, c.out, c.file, c.only});
    for (const refusal &c : refusals)
        all.push_back(
            {c.name, c.args, c.streams, c.status, message(c.status, c.named), c.file, c.only});
    for (const silent_end &c : silent_ends)
        all.push_back({c.name, c.args, c.streams, c.status, "", c.file, c.only});
    return all;
}

void PrintTo(const cli_case &c, std::ostream *os) {
    *os << c.name;
}

class CliTable : public ToolTest, public testing::WithParamInterface<cli_case> {};

TEST_P(CliTable, ExactOutputFilesAndStatus) {
    const cli_case &c = GetParam();
    if (c.only == posix && tool_is_windows())
        GTEST_SKIP() << "needs a POSIX system";
    if (c.only == windows && !tool_is_windows())
        GTEST_SKIP() << "a Windows row: runs on tarvo.exe under Wine in the test-windows preset";
    tool_run run = run_tool(dir, c.args, c.streams);
    EXPECT_EQ(run.status, c.status);
    if (!c.streams.terminal || !tool_is_windows()) {
        EXPECT_EQ(run.out, as_written(c.out));
    }
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(read_file(dir + "/page.html"), page);
    expect_file(c.file);
}

INSTANTIATE_TEST_SUITE_P(Tool, CliTable, testing::ValuesIn(all_cases()),
                         [](const auto &info) { return std::string(info.param.name); });

// A large page through real pipes on both sides, so that buffers refill and
// the report interleaves with the text across many flushes.
TEST_F(ToolTest, LargePageThroughPipes) {
    tool_run run = run_tool(dir, {"-", "-", "-l"}, from_stdin(repeat(many_pages, 60)));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, as_written(repeat(many_stripped, 60)));
    EXPECT_EQ(run.err, "");
}

// The three code page 850 characters of the usage text, as UTF-8.
std::string in_utf8(std::string text) {
    const std::pair<std::string, std::string> umlauts[] = {
        {"\x81", "\xC3\xBC"}, {"\xE1", "\xC3\x9F"}, {"\x94", "\xC3\xB6"}};
    for (const auto &[stored, shown] : umlauts)
        for (size_t at = 0; (at = text.find(stored, at)) != std::string::npos; at += shown.size())
            text.replace(at, stored.size(), shown);
    return text;
}

tool_streams terminal(const std::string &locale) {
    tool_streams streams;
    streams.terminal = true;
    streams.locale = locale;
    return streams;
}

// A UTF-8 terminal shows the umlauts of the messages as UTF-8, also where
// its locale is not installed. Redirected output and other character sets
// keep the stored bytes, and the converted text is never touched.
TEST_F(ToolTest, UmlautsOnTerminals) {
    if (tool_is_windows())
        GTEST_SKIP() << "a Windows console is tested in UmlautsOnConsoles";
    tool_streams redirected;
    redirected.locale = "C.UTF-8";
    const std::string cp850_page = "<p>\x81\xE1\x94</p><p>";
    write_file(dir + "/cp850.html", cp850_page);
    struct {
        std::vector<std::string> args;
        tool_streams streams;
        std::string out;
    } cases[] = {
        {{}, terminal("C.UTF-8"), in_utf8(usage(program_name()))},
        {{}, terminal("xx_XX.utf8@euro"), in_utf8(usage(program_name()))},
        {{}, terminal("xx_XX.Utf-8"), in_utf8(usage(program_name()))},
        {{}, terminal("xx_XX.UTF8"), in_utf8(usage(program_name()))},
        {{}, terminal("xx_XX.ISO-8859-15"), usage(program_name())},
        {{}, terminal("C"), usage(program_name())},
        {{}, redirected, usage(program_name())},
        {{"cp850.html", "-"}, terminal("C.UTF-8"), "<p>\x81\xE1\x94</p>\n<p>"},
        // A name is shown as given: U+00C1 holds the byte that stands for an umlaut.
        {{"\xC3\x81.html", "x"}, terminal("C.UTF-8"), message(3, "\xC3\x81.html")},
    };
    for (const auto &c : cases) {
        tool_run run = run_tool(dir, c.args, c.streams);
        EXPECT_EQ(run.out, c.out) << "LC_ALL=" << c.streams.locale;
        EXPECT_EQ(run.err, "");
    }
}

// What a terminal shows of Wine's console: its cursor controls removed. (It
// also wraps lines at 80 columns and turns tabs into spaces.)
std::string shown(std::string text) {
    for (size_t at; (at = text.find("\x1b[")) != std::string::npos;)
        text.erase(at, text.find_first_of("@ABCDEFGHJKLMPSTXhlm", at + 2) + 1 - at);
    return text;
}

// A console gets the messages as UTF-16 from the stored code page 850 texts
// and from the UTF-8 names, whatever its code page; Wine renders it on the
// pseudo-terminal as UTF-8.
TEST_F(ToolTest, UmlautsOnConsoles) {
    if (!tool_is_windows())
        GTEST_SKIP()
            << "needs a Windows console: runs on tarvo.exe under Wine in the test-windows preset";
    tool_run run = run_tool(dir, {}, terminal("C.UTF-8"));
    EXPECT_EQ(run.status, 1);
    for (const char *word :
         {"F\u00fcgt ", " schlie\u00dfende ", " \u00f6ffnende ", "Ausf\u00fchrliche"})
        EXPECT_NE(shown(run.out).find(word), std::string::npos) << word << " in " << run.out;
    run = run_tool(dir, {"\u00dcbersicht.html", "out.html"}, terminal("C.UTF-8"));
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(shown(run.out).find(" Die Quelldatei \"\u00dcbersicht.html\" existiert nicht.\r\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.err, "");
}

} // namespace
