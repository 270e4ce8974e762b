// End-to-end tests: the built tool in a folder of its own, checked by the
// exact bytes of standard output and the files, the exit status, and an
// empty standard error.
#include "run_tool.h"
#include "table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
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

// The three umlauts of the usage text, as stored and as a UTF-8 terminal
// shows them.
struct umlauts {
    const char *ue, *sz, *oe;
};
const umlauts code_page_850 = {"\x81", "\xE1", "\x94"};
const umlauts utf8 = {"\xC3\xBC", "\xC3\x9F", "\xC3\xB6"};

std::string usage(const std::string &program, const umlauts &u = code_page_850) {
    return banner + " F" + u.ue + "gt in HTML-Dateien zwischen schlie" + u.sz + "ende und " + u.oe +
           "ffnende spitze Klammern einen Zeilenumbruch ein.\n\n"
           " Syntax: " +
           program +
           " <Quelldatei> <Zieldatei> [Optionen]\n\n"
           " Optionen (durch Leerzeichen getrennt):\n"
           "  -l\tEntfernt Leerzeichen und Tabulatorzeichen am Zeilenanfang.\n"
           "  -v\tAusf" +
           u.ue +
           "hrliche Ausgabe mit Zeilennummern.\n\n"
           " Statt eines Dateinamens f" +
           u.ue + "r die Quelldatei (Zieldatei) kann als 1. (2.) Parameter\n auch - f" + u.ue +
           "r die Standardeingabe (Standardausgabe) angegeben werden.\n";
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
// Names that code page 1252 lacks: its best fit makes - of the fullwidth
// hyphen and a of a with a macron.
const std::string wide_hyphen = "\uff0d", a_macron = "\u0101.html";
// page.html in 261 characters, past the 260 of a Windows path.
const std::string long_page = repeat("./", 126) + "page.html";
const std::string kept = "keep me";
// A name that would move the cursor, erase the line and print a line of
// its own on a terminal.
const std::string forged = "x\x1b]0;t\a\x1b[2K\r\xC2\x9B"
                           "32mOK.html";
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

class ToolTest : public testing::Test {
  protected:
    std::string dir;
    std::vector<std::string> loop_devices;

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
        write_file(dir + "/" + a_macron, kept);
        write_file(dir + "/my page.html", page);
        write_file(dir + "/-", kept);
        write_file(dir + "/-l", kept);
        write_file(dir + "/large.html", large_start);
        ASSERT_EQ(truncate((dir + "/large.html").c_str(), large_size), 0);
        ASSERT_EQ(mkdir((dir + "/dir").c_str(), 0755), 0);
        ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0644), 0);
        ASSERT_EQ(link((dir + "/page.html").c_str(), (dir + "/hard.html").c_str()), 0);
        ASSERT_EQ(symlink("page.html", (dir + "/soft.html").c_str()), 0);
        ASSERT_EQ(symlink("new.html", (dir + "/dangling.html").c_str()), 0);
    }
    void TearDown() override {
        for (const std::string &device : loop_devices)
            EXPECT_EQ(system(("losetup -d " + device).c_str()), 0);
        EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);
    }

    // Attaches a loop device to page.html, named loop1 in the folder, and
    // one to that device, loop2. False, saying why, where they cannot be
    // attached.
    bool attach_loop_devices(std::string *why) {
        if (geteuid() != 0) {
            *why = "needs root, to attach loop devices";
            return false;
        }
        for (const char *name : {"loop1", "loop2"}) {
            const std::string shown = loop_devices.empty() ? dir + "/page.html" : loop_devices[0];
            std::string command = "losetup -f --show '" + shown + "' 2>/dev/null";
            FILE *losetup = popen(command.c_str(), "r");
            char line[256] = "";
            const bool read = losetup && fgets(line, sizeof line, losetup);
            if (losetup && pclose(losetup) == 0 && read && strncmp(line, "/dev/", 5) == 0) {
                loop_devices.push_back(std::string(line, strcspn(line, "\n")));
                if (symlink(loop_devices.back().c_str(), (dir + "/" + name).c_str()) == 0)
                    continue;
            }
            *why = "losetup -f cannot attach a loop device here";
            return false;
        }
        return true;
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

// One run of the tool and all it must do. A row starts as run(name, args):
// status 0, nothing on standard output, page.html as it was, on every
// platform, and names in steps only what differs. On a Windows console
// standard output is not checked.
struct cli_case : table::row {
    std::vector<std::string> args;
    tool_streams streams = {};
    int status = 0;
    std::string out = "";
    file_check file = {}; // besides page.html, which must never change
    platforms only = everywhere;
    bool loop_devices = false;
    std::vector<std::pair<std::string, std::string>> more_files = {};

    // What the tool is given.
    cli_case &input(const std::string &bytes) {
        streams.input = bytes;
        return *this;
    }
    cli_case &stdin_from(const std::string &path, int flags = O_RDONLY) {
        streams.input_path = path;
        streams.input_flags = flags;
        return *this;
    }
    cli_case &stdout_to(const std::string &path, int flags = O_WRONLY) {
        streams.output_path = path;
        streams.output_flags = flags;
        return *this;
    }
    cli_case &stdin_closed() {
        streams.input_closed = true;
        return *this;
    }
    cli_case &stdin_unreadable() {
        streams.input_unreadable = true;
        return *this;
    }
    cli_case &stdin_resets_after(const std::string &bytes) {
        streams.input = bytes;
        streams.input_reset = true;
        return *this;
    }
    cli_case &one_socket_both_ways() {
        streams.one_socket = true;
        return *this;
    }
    cli_case &stdout_closed() {
        streams.output_closed = true;
        return *this;
    }
    cli_case &stdout_unread() {
        streams.output_unread = true;
        return *this;
    }
    cli_case &stdout_taken(std::size_t bytes) {
        streams.output_taken = bytes;
        return *this;
    }
    cli_case &stderr_closed() {
        streams.error_closed = true;
        return *this;
    }
    cli_case &on_terminal() {
        streams.terminal = true;
        return *this;
    }
    // Standard input and output are one terminal, at which a person types.
    cli_case &typed() {
        streams.terminal = streams.typed = true;
        return *this;
    }
    cli_case &in_locale(const std::string &name) {
        streams.locale = name;
        return *this;
    }
    cli_case &stdout_at(std::size_t offset) {
        streams.output_offset = offset;
        return *this;
    }
    // Names loop1, a loop device over page.html, and loop2, one over loop1;
    // the row runs only where it may attach them.
    cli_case &over_loop_devices() {
        loop_devices = true;
        return *this;
    }
    // A file that the folder holds for this row alone.
    cli_case &folder_holds(const std::string &name, const std::string &bytes) {
        more_files.push_back({name, bytes});
        return *this;
    }
    cli_case &without_utf8_code_page() {
        streams.legacy_code_page = true;
        return *this;
    }
    // Standard input takes more only once standard output shows a text.
    cli_case &then_after(const std::string &shown, const std::string &more) {
        streams.input_after.push_back({shown, more});
        return *this;
    }
    cli_case &in_batch_file() {
        streams.batch_file = true;
        return *this;
    }
    cli_case &only_on(platforms where) {
        only = where;
        return *this;
    }

    // What it must do.
    cli_case &prints(const std::string &bytes) {
        out = bytes;
        return *this;
    }
    cli_case &ends(int code) {
        status = code;
        return *this;
    }
    cli_case &fails(int code, const std::string &named) {
        status = code;
        out = message(code, named);
        return *this;
    }
    cli_case &file_holds(const std::string &name, const std::string &bytes) {
        file = {name, true, bytes};
        return *this;
    }
    cli_case &no_file(const std::string &name) {
        file = {name, false, ""};
        return *this;
    }
};

cli_case run(const char *name, std::vector<std::string> args) {
    return {name, std::move(args)};
}

const int append = O_WRONLY | O_APPEND;

// run_tool's status for a run ended by a signal.
const int killed = -1;

// clang-format off
const cli_case cases[] = {
    // Runs that convert and end with status 0, or killed where standard
    // output's reader went away first.
    run("file_to_file", {"page.html", "out.html"}).file_holds("out.html", page_plain),
    run("stdin_to_stdout", {"-", "-"}).input(page).prints(page_plain),
    run("stdin_to_file", {"-", "out.html"}).input(page).file_holds("out.html", page_plain),
    run("file_to_stdout", {"page.html", "-"}).prints(page_plain),
    run("target_overwritten", {"page.html", "old.html"}).file_holds("old.html", page_plain),
    run("target_emptied_first", {"-", "old.html"}).input("<a>").file_holds("old.html", "<a>"),
    run("strip", {"page.html", "out.html", "-l"}).file_holds("out.html", page_stripped),
    run("strip_report", {"page.html", "out.html", "-l", "-v"}).prints(page_report)
        .file_holds("out.html", page_stripped),
    run("report_order", {"-", "-", "-v", "-l"}).input(page).prints(page_interleaved),
    run("verbose_alone", {"page.html", "out.html", "-v"}).file_holds("out.html", page_plain),
    run("unknown_options", {"page.html", "out.html", "-x", "-lv", "--", "-", ""})
        .file_holds("out.html", page_plain),
    run("target_named_v", {"page.html", "-v"}).file_holds("-v", page_plain),
    run("target_link_to_none", {"page.html", "dangling.html"}).file_holds("new.html", page_plain)
        .only_on(posix),
    run("target_named_v_strip", {"page.html", "-v", "-l"}).prints(page_report)
        .file_holds("-v", page_stripped),
    // Cases of the filter's own tests again, end to end: under Wine these are
    // what shows that the runtime's text mode, not the filter alone, writes
    // 0xFF, a lone CR and the report after CR LF as they must be.
    run("crlf_report", {"crlf.html", "-", "-l", "-v"})
        .prints("<p>\r\n<b>x</b>\r\nZeile    1: \t**\n</p>\r\nZeile    2: \t\n"),
    run("byte_ff", {"ff.html", "out.html", "-l"}).file_holds("out.html", "a\xff<b>\n<c>\n\xff<d>"),
    run("lone_and_paired_cr", {"cr.html", "-"}).prints("a\rb\r\n<c>\r\n<d>\r\r\n"),
    run("ctrl_z_file", {"ctrl-z.html", "out.html"}).file_holds("out.html", ctrl_z_plain),
    run("ctrl_z_stdin", {"-", "-"}).stdin_from("ctrl-z.html").prints(ctrl_z_plain),
    run("ctrl_z_pipe", {"-", "-"}).input(ctrl_z_page).prints(ctrl_z_plain),
    run("names_outside_ansi", {omega, japan}).file_holds(japan, page_plain),
    // Where the ANSI code page is not UTF-8, every word is still decided on,
    // and opened by, what was typed; a message in a pipe shows the code
    // page's ? for a character that it lacks.
    run("wide_hyphen_source", {wide_hyphen, "old.html"}).folder_holds(wide_hyphen, page)
        .without_utf8_code_page()
        .file_holds("old.html", page_plain).only_on(windows),
    run("wide_hyphen_target", {"page.html", wide_hyphen}).without_utf8_code_page()
        .file_holds(wide_hyphen, page_plain).only_on(windows),
    run("wide_hyphen_option", {"page.html", "old.html", wide_hyphen + "l"})
        .without_utf8_code_page().fails(8, "?l").file_holds("old.html", kept).only_on(windows),
    run("names_alike_in_code_page", {"page.html", "p\u0101ge.html"}).without_utf8_code_page()
        .file_holds("p\u0101ge.html", page_plain).only_on(windows),
    run("patterns_alike_in_code_page", {"\u03a9.*", "\u0101.*"}).without_utf8_code_page()
        .file_holds(a_macron, page_plain).only_on(windows),
    // A UTF-8 terminal shows the umlauts of the messages as UTF-8, also
    // where its locale is not installed. Redirected output and other
    // character sets keep the stored bytes, and the converted text is never
    // touched. (A Windows console is tested in UmlautsOnConsoles.)
    run("usage_on_utf8_terminal", {}).on_terminal().in_locale("C.UTF-8").ends(1)
        .prints(usage(program_name(), utf8)).only_on(posix),
    run("usage_utf8_locale_not_installed", {}).on_terminal().in_locale("xx_XX.utf8@euro").ends(1)
        .prints(usage(program_name(), utf8)).only_on(posix),
    run("usage_utf8_spelt_Utf_8", {}).on_terminal().in_locale("xx_XX.Utf-8").ends(1)
        .prints(usage(program_name(), utf8)).only_on(posix),
    run("usage_utf8_spelt_UTF8", {}).on_terminal().in_locale("xx_XX.UTF8").ends(1)
        .prints(usage(program_name(), utf8)).only_on(posix),
    run("usage_latin9_terminal", {}).on_terminal().in_locale("xx_XX.ISO-8859-15")
        .fails(1, program_name()).only_on(posix),
    run("usage_c_terminal", {}).on_terminal().in_locale("C").fails(1, program_name())
        .only_on(posix),
    run("usage_redirected_in_utf8_locale", {}).in_locale("C.UTF-8").fails(1, program_name())
        .only_on(posix),
    run("page_untouched_on_utf8_terminal", {"cp850.html", "-"}).on_terminal()
        .in_locale("C.UTF-8").folder_holds("cp850.html", "<p>\x81\xE1\x94</p><p>")
        .prints("<p>\x81\xE1\x94</p>\n<p>").only_on(posix),
    // A name is shown as given: U+00C1 holds the byte that stands for an umlaut.
    run("name_as_given_on_utf8_terminal", {"\xC3\x81.html", "x"}).on_terminal()
        .in_locale("C.UTF-8").fails(3, "\xC3\x81.html").only_on(posix),
    // On a terminal its control characters show, as cat -v shows them, and
    // cannot erase the message or print another; elsewhere it stays as given.
    run("name_controls_shown", {forged, "x"}).on_terminal().in_locale("C.UTF-8")
        .fails(3, "x^[]0;t^G^[[2K^MM-^[32mOK.html").only_on(posix),
    run("name_controls_redirected", {forged, "x"}).in_locale("C.UTF-8").fails(3, forged)
        .only_on(posix),
    // A lone C1 byte is a control on a terminal that reads single bytes,
    // and on a UTF-8 one where it continues no character.
    run("name_c1_byte_terminal", {"\x9b" "2J\xE6\x97\xA5.html", "x"}).on_terminal()
        .in_locale("C").fails(3, "M-^[2J\xE6M-^W\xA5.html").only_on(posix),
    run("name_c1_byte_utf8_terminal", {"\x9b" "2J\xE6\x97\xA5.html", "x"}).on_terminal()
        .in_locale("C.UTF-8").fails(3, "M-^[2J\xE6\x97\xA5.html").only_on(posix),
    // Only a whole UTF-8 character holds such a byte: not one after an
    // invalid or overlong lead byte, nor in a surrogate. DEL is a control.
    run("name_invalid_utf8_terminal",
        {"\xC0\x9B" "a\xE0\x9B\x80" "b\xF5\x9B\x80\x80" "c\xED\xA0\x80" "d\x7F.html", "x"})
        .on_terminal().in_locale("C.UTF-8")
        .fails(3, "\xC0M-^[a\xE0M-^[M-^@b\xF5M-^[M-^@M-^@c\xED\xA0M-^@d^?.html").only_on(posix),
    run("other_letter_case_other_file", {"page.html", "PAGE.HTML"})
        .file_holds("PAGE.HTML", page_plain).only_on(posix),
    // A target that names the file standard output holds is written through
    // standard output: appended to, not truncated, report lines in order.
    run("target_is_stdout_file", {"page.html", "old.html"}).stdout_to("old.html", append)
        .file_holds("old.html", kept + page_plain),
    run("target_is_stdout_file_report", {"page.html", "old.html", "-l", "-v"})
        .stdout_to("old.html", append).file_holds("old.html", kept + page_interleaved),
    run("target_is_stdout_file_verbose", {"page.html", "old.html", "-v"})
        .stdout_to("old.html", append).file_holds("old.html", kept + page_plain),
    run("report_shows_as_made", {"-", "out.html", "-l", "-v"})
        .on_terminal().input("a\nb").then_after("Zeile    1: \t\n", "\nc")
        .prints("Zeile    1: \t\nZeile    2: \t\n").file_holds("out.html", "a\nb\nc")
        .only_on(posix),
    run("target_dev_stdout", {"page.html", "/dev/stdout"}).stdout_to("old.html", append)
        .file_holds("old.html", kept + page_plain).only_on(posix),
    run("target_dev_stdout_socket", {"-", "/dev/stdout"}).input(page).one_socket_both_ways()
        .prints(page_plain).only_on(posix),
    // Standard output on the target's file without truncating it: the file
    // ends holding just what the run wrote. (The command prompt has no <>.)
    run("target_is_stdout_file_not_truncated", {"-", "old.html"}).input("<a>")
        .stdout_to("old.html", O_RDWR).file_holds("old.html", "<a>").only_on(posix),
    run("target_stdout_file_cut_where_it_stands", {"-", "/dev/stdout"}).input("<a>")
        .stdout_to("old.html").stdout_at(2).file_holds("old.html", "ke<a>").only_on(posix),
    // Target - is standard output as the shell made it, as with cat.
    run("dash_target_keeps_old_tail", {"-", "-"}).input("<a>").stdout_to("old.html", O_RDWR)
        .file_holds("old.html", "<a>p me"),
    run("target_fd_1_in_pipe", {"page.html", "/proc/self/fd/1", "-l", "-v"})
        .prints(page_interleaved).only_on(posix),
    run("stdin_and_stdout_one_socket", {"-", "-"}).input(page).one_socket_both_ways()
        .prints(page_plain).only_on(posix),
    run("source_dev_stdin_pipe", {"/dev/stdin", "-"}).input(page).prints(page_plain).only_on(posix),
    run("source_is_stdin_file", {"page.html", "out.html"}).stdin_from("page.html", O_WRONLY)
        .file_holds("out.html", page_plain).only_on(posix),
    run("stdout_null_source_null", {"/dev/null", "-"}).stdout_to("/dev/null").only_on(posix),
    run("null_both_sides", {"/dev/null", "/dev/../dev/null"}).only_on(posix),
    // Opened and converted from its start; a reader that takes the first
    // line ends the run (SIGPIPE) long before the hole is read.
    run("source_past_4_gib", {"large.html", "-"}).stdout_taken(10).prints("<a>\r\n<b>\r\n")
        .ends(killed).only_on(posix),
    run("pattern_one_match", {"pa*.html", "out.html"}).file_holds("out.html", page_plain)
        .only_on(windows),
    run("pattern_matches_dash_file", {"?", "out.html"}).file_holds("out.html", kept)
        .only_on(windows),
    run("quoted_name_with_spaces", {"\"my page.html\"", "out.html"}).in_batch_file()
        .file_holds("out.html", page_plain).only_on(windows),
    run("target_nul", {"page.html", "NUL", "-l", "-v"}).prints(page_report).only_on(windows),
    run("target_con", {"page.html", "CON"}).on_terminal().no_file("CON").only_on(windows),
    // Runs refused, or ended by a failure, with a message that names a name.
    run("no_arguments", {}).fails(1, program_name()),
    run("one_argument", {"page.html"}).fails(1, program_name()),
    run("same_name", {"page.html", "page.html"}).fails(2, "page.html"),
    run("strip_twice", {"-l", "-l"}).fails(2, "-l"),
    run("other_spelling", {"page.html", "./page.html"}).fails(2, "page.html"),
    run("hard_link", {"page.html", "hard.html"}).fails(2, "page.html"),
    run("symbolic_link_source", {"soft.html", "page.html"}).fails(2, "soft.html"),
    run("symbolic_link_target", {"page.html", "soft.html"}).fails(2, "page.html"),
    run("fifo_named_twice", {"fifo", "./fifo"}).fails(2, "fifo").only_on(posix),
    run("fifo_as_stdin_and_target", {"-", "fifo"}).stdin_from("fifo", O_RDWR).fails(2, "fifo")
        .only_on(posix),
    // A loop device is the file that it shows.
    run("loop_device_target", {"page.html", "loop1", "-l"}).over_loop_devices()
        .fails(2, "page.html").only_on(posix),
    run("loop_device_source", {"loop1", "page.html"}).over_loop_devices().fails(2, "loop1")
        .only_on(posix),
    run("two_loop_devices", {"loop1", "loop2"}).over_loop_devices().fails(2, "loop1")
        .only_on(posix),
    run("loop_over_loop_target", {"page.html", "loop2"}).over_loop_devices()
        .fails(2, "page.html").only_on(posix),
    // Standard output shows the named target through a device, which
    // cannot cut it where it stands.
    run("stdout_loop_device_over_target", {"old.html", "page.html"}).stdout_to("loop1")
        .over_loop_devices().ends(4).only_on(posix),
    run("loop_device_stdout", {"page.html", "-"}).stdout_to("loop1").over_loop_devices().ends(2)
        .only_on(posix),
    run("stdin_is_target", {"-", "page.html"}).stdin_from("page.html").fails(2, "page.html"),
    run("long_spelling", {"page.html", long_page}).fails(2, "page.html"),
    run("device_spelling", {"page.html", "//./%CD%/page.html", "-l"}).in_batch_file()
        .fails(2, "page.html").only_on(windows),
    run("other_letter_case", {"page.html", "PAGE.HTML"}).fails(2, "page.html").only_on(windows),
    run("missing_source", {"none.html", "out.html"}).fails(3, "none.html").no_file("out.html"),
    run("pattern_unmatched", {"zz*.html", "out.html"}).fails(3, "zz*.html").no_file("out.html"),
    run("source_directory", {"dir", "old.html"}).fails(3, "dir").file_holds("old.html", kept),
    // The source is settled before the target is opened, which could wait
    // for a reader for ever.
    run("source_directory_target_fifo", {"dir", "fifo"}).fails(3, "dir").only_on(posix),
    run("stdin_directory", {"-", "old.html"}).stdin_from("dir").fails(3, "-")
        .file_holds("old.html", kept).only_on(posix),
    run("target_directory", {"page.html", "dir"}).fails(4, "dir"),
    // A bad target shows before anything is typed.
    run("target_refused_before_typing", {"-", "no/out.html"}).typed().in_locale("C")
        .fails(4, "no/out.html").only_on(posix),
    run("target_is_stdin_pipe", {"page.html", "/dev/stdin"}).input("x").fails(4, "/dev/stdin")
        .only_on(posix),
    run("target_folder_missing", {"page.html", "no/out.html"}).fails(4, "no/out.html"),
    run("target_under_a_file", {"page.html", "page.html/out.html"}).fails(4, "page.html/out.html"),
    run("read_error_at_start", {"/proc/self/mem", "old.html"}).fails(5, "/proc/self/mem")
        .file_holds("old.html", kept),
    run("read_error_stdin", {"-", "old.html"}).stdin_from("crlf.html", O_WRONLY).fails(5, "-")
        .file_holds("old.html", kept).only_on(posix),
    run("read_error_pipe", {"-", "old.html"}).stdin_unreadable().fails(5, "-")
        .file_holds("old.html", kept).only_on(posix),
    run("stdin_closed", {"-", "out.html"}).stdin_closed().fails(5, "-").no_file("out.html")
        .only_on(posix),
    run("stdin_closed_by_name", {"/dev/stdin", "out.html"}).stdin_closed().fails(5, "/dev/stdin")
        .no_file("out.html").only_on(posix),
    // A closed stream under any name fails as that stream does.
    run("stderr_closed_as_source", {"/dev/fd/2", "old.html"}).stderr_closed().fails(5, "/dev/fd/2")
        .file_holds("old.html", kept).only_on(posix),
    run("stderr_closed_as_target", {"page.html", "/dev/stderr"}).stderr_closed()
        .fails(6, "/dev/stderr").only_on(posix),
    // The run's own output as its source would never end.
    run("source_is_stdout_pipe", {"/dev/stdout", "out.html"}).fails(5, "/dev/stdout")
        .no_file("out.html").only_on(posix),
    run("source_is_stderr_pipe", {"/dev/stderr", "out.html"}).fails(5, "/dev/stderr")
        .no_file("out.html").only_on(posix),
    // A source that fails at its start is found before the target is made.
    run("read_error_new_target", {"-", "new.html"}).stdin_unreadable().fails(5, "-")
        .no_file("new.html").only_on(posix),
    run("read_error_target_link_to_none", {"-", "dangling.html"}).stdin_unreadable().fails(5, "-")
        .no_file("new.html").only_on(posix),
    run("source_dev_stdin_socket", {"/dev/stdin", "out.html"}).stdin_resets_after("<a><b>")
        .fails(5, "/dev/stdin").file_holds("out.html", "<a>\n<b>").only_on(posix),
    run("read_error_in_pass", {"-", "out.html"}).stdin_resets_after("<a><b>").fails(5, "-")
        .file_holds("out.html", "<a>\n<b>").only_on(posix),
    run("read_error_before_write_error", {"-", "/dev/full"}).stdin_resets_after(many_pages)
        .fails(5, "-").only_on(posix),
    run("write_error_file", {"page.html", "/dev/full"}).fails(6, "/dev/full").only_on(posix),
    run("write_error_file_at_close", {"page.html", "Z:\\dev\\full"}).fails(6, "Z:\\dev\\full")
        .only_on(windows),
    run("pattern_source", {"?a??.html", "out.html"}).fails(7, "?a??.html").no_file("out.html")
        .only_on(windows),
    run("pattern_target", {"old.html", "?a??.html"}).fails(7, "?a??.html").only_on(windows),
    run("pattern_before_surplus", {"old.html", "?a??.html", "x"}).fails(7, "?a??.html")
        .only_on(windows),
    run("pattern_in_batch_file", {"?a??.html", "out.html"}).in_batch_file().fails(7, "?a??.html")
        .no_file("out.html").only_on(windows),
    // A third name where only options belong: a pattern that the shell
    // expanded into one name more, or options before a name.
    run("three_names", {"page.html", "out.html", "old.html"}).fails(8, "old.html")
        .no_file("out.html"),
    run("option_first", {"-l", "page.html", "old.html"}).fails(8, "old.html")
        .file_holds("old.html", kept),
    run("option_between", {"page.html", "-l", "out.html"}).fails(8, "out.html")
        .file_holds("-l", kept),
    run("surplus_before_same_names", {"old.html", "old.html", "page.html"}).fails(8, "page.html")
        .file_holds("old.html", kept),
    run("surplus_after_option", {"page.html", "out.html", "-l", "old.html"}).fails(8, "old.html")
        .no_file("out.html"),
    run("surplus_first_named", {"page.html", "out.html", "old.html", "-", "new.html"})
        .fails(8, "old.html").no_file("out.html"),
    // Help words of Windows users are never patterns: -? would match -l.
    run("help_word_no_pattern", {"page.html", "-?"}).fails(4, "-?").file_holds("-l", kept)
        .only_on(windows),
    // Wine's command prompt holds a redirected file without sharing it for
    // writing: the target's name still shows it to be standard output's or
    // standard input's file.
    run("batch_appends_to_stdout_file", {"page.html", "old.html", ">>", "old.html"})
        .in_batch_file().file_holds("old.html", kept + page_plain).only_on(windows),
    run("batch_stdin_is_target", {"-", "page.html", "<", "page.html"}).in_batch_file()
        .fails(2, "page.html").only_on(windows),
    run("pattern_in_option_position", {"page.html", "out.html", "-l", "o*.html"})
        .fails(8, "old.html").no_file("out.html").only_on(windows),
    // A match that begins with - is a name, never an option.
    run("pattern_matches_option_file", {"page.html", "out.html", "?l"}).fails(8, ".\\-l")
        .no_file("out.html").only_on(windows),
    // Runs that end with a status and print nothing: standard output is the
    // source's file, so that a message would land in it, or it cannot be
    // written.
    run("stdout_appended", {"page.html", "-"}).stdout_to("page.html", append).ends(2),
    run("stdout_read_write", {"page.html", "-"}).stdout_to("page.html", O_RDWR).ends(2),
    run("stdout_truncated", {"old.html", "-"}).stdout_to("old.html", O_WRONLY | O_TRUNC).ends(2)
        .file_holds("old.html", ""),
    run("report_appended", {"page.html", "out.html", "-l", "-v"}).stdout_to("page.html", append)
        .ends(2).no_file("out.html"),
    run("stdin_appended", {"-", "-"}).stdout_to("page.html", append).stdin_from("page.html")
        .ends(2),
    run("stdout_source_before_target", {"page.html", "hard.html"}).stdout_to("page.html", append)
        .ends(2),
    run("usage_into_source", {"page.html"}).stdout_to("page.html", append).ends(1),
    run("usage_into_stdin_source", {"-"}).stdin_from("page.html").stdout_to("page.html", append)
        .ends(1),
    run("stdout_source_before_unopenable_target", {"page.html", "no/out.html"})
        .stdout_to("page.html", append).ends(2),
    run("surplus_into_source", {"page.html", "out.html", "x"}).stdout_to("page.html", append)
        .ends(8).no_file("out.html"),
    run("same_names_into_source", {"page.html", "page.html"}).stdout_to("page.html", append)
        .ends(2),
    // A message that nobody reads any more keeps its status.
    run("message_reader_gone", {"none.html", "out.html"}).stdout_unread().ends(3)
        .no_file("out.html"),
    run("write_error_stdout", {"page.html", "-"}).stdout_to("/dev/full").ends(6).only_on(posix),
    run("write_error_report", {"page.html", "out.html", "-l", "-v"}).stdout_to("/dev/full").ends(6)
        .file_holds("out.html", page_stripped).only_on(posix),
    run("usage_to_full", {}).stdout_to("/dev/full").ends(1).only_on(posix),
    // The target must not take the closed standard output's place.
    run("stdout_closed", {"-", "out.html", "-l", "-v"}).input(many_pages).stdout_closed().ends(6)
        .file_holds("out.html", many_stripped).only_on(posix),
    run("stdout_closed_by_name", {"page.html", "/dev/stdout"}).stdout_closed().ends(6)
        .only_on(posix),
    run("stdout_closed_as_source", {"/dev/stdout", "old.html"}).stdout_closed().ends(5)
        .file_holds("old.html", kept).only_on(posix),
    // A reader of the report that goes away does not stop the target.
    run("report_reader_gone", {"-", "out.html", "-l", "-v"}).input(many_pages).stdout_unread()
        .ends(6).file_holds("out.html", many_stripped),
    // What standard output is does not change why a target cannot be opened.
    run("target_unopenable_report_to_file", {"/dev/null", "page.html/x.html", "-l", "-v"})
        .stdout_to("old.html", O_WRONLY | O_TRUNC).ends(4)
        .file_holds("old.html", message(4, "page.html/x.html")).only_on(posix),
};
// clang-format on

class CliTable : public ToolTest, public testing::WithParamInterface<cli_case> {};

TEST_P(CliTable, ExactOutputFilesAndStatus) {
    const cli_case &c = GetParam();
    if (c.only == posix && tool_is_windows())
        GTEST_SKIP() << "needs a POSIX system";
    if (c.only == windows && !tool_is_windows())
        GTEST_SKIP() << "a Windows row: runs on tarvo.exe under Wine in the test-windows preset";
    std::string why;
    if (c.loop_devices && !attach_loop_devices(&why))
        GTEST_SKIP() << why;
    for (const auto &file : c.more_files)
        write_file(dir + "/" + file.first, file.second);
    tool_run run = run_tool(dir, c.args, c.streams);
    EXPECT_EQ(run.status, c.status);
    if (!c.streams.terminal || !tool_is_windows()) {
        EXPECT_EQ(run.out, as_written(c.out));
    }
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(read_file(dir + "/page.html"), page);
    expect_file(c.file);
}

INSTANTIATE_TEST_SUITE_P(Tool, CliTable, testing::ValuesIn(cases), row_name);

// A large page through real pipes on both sides, so that buffers refill and
// the report interleaves with the text across many flushes.
TEST_F(ToolTest, LargePageThroughPipes) {
    tool_streams streams;
    streams.input = repeat(many_pages, 60);
    tool_run run = run_tool(dir, {"-", "-", "-l"}, streams);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, as_written(repeat(many_stripped, 60)));
    EXPECT_EQ(run.err, "");
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
    const tool_streams console = run("console", {}).on_terminal().in_locale("C.UTF-8").streams;
    tool_run run = run_tool(dir, {}, console);
    EXPECT_EQ(run.status, 1);
    for (const char *word :
         {"F\u00fcgt ", " schlie\u00dfende ", " \u00f6ffnende ", "Ausf\u00fchrliche"})
        EXPECT_NE(shown(run.out).find(word), std::string::npos) << word << " in " << run.out;
    run = run_tool(dir, {"\u00dcbersicht.html", "out.html"}, console);
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(shown(run.out).find(" Die Quelldatei \"\u00dcbersicht.html\" existiert nicht.\r\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.err, "");
}

} // namespace
