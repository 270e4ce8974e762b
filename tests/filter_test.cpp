// The filter pass over bytes read as from a file and as from a pipe, without
// the front end.
#include "one_pass.h"
#include "table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct filter_result {
    std::string target;
    std::string report;
};

// One pass as the tool runs it, with its report taken from standard output.
// The pass must end sound: started, no read error, at the end of its input.
filter_result convert(const std::string &input, int strip, int verbose,
                      source_kind kind = regular_file_source, int target_writes_crlf = 0,
                      std::int64_t first_line = 0) {
    testing::internal::CaptureStdout();
    bool sound = false;
    std::string target =
        ::convert(input, {strip, verbose}, kind, target_writes_crlf, &sound, first_line);
    filter_result result{target, testing::internal::GetCapturedStdout()};
    EXPECT_TRUE(sound);
    return result;
}

struct filter_case : table::row {
    std::string input;
    std::string expected;
    int strip;
    int target_writes_crlf = 0;
};

constexpr int text_mode = 1; // the target writes CR LF by itself

const filter_case filter_cases[] = {
    {"empty", "", "", 0},
    {"adjacent", "a><b", "a>\n<b", 0},
    {"two_pairs", "><><", ">\n<>\n<", 0},
    {"space_between", "> <", "> <", 0},
    {"even_run", ">><", ">><", 0},
    {"odd_run", ">>><", ">>>\n<", 0},
    {"run_of_four", ">>>><", ">>>><", 0},
    {"bracket_last", "a>", "a>", 0},
    {"lone_open", "<a", "<a", 0},
    {"line_feed_kept", "<a>\n  <b>", "<a>\n  <b>", 0},
    {"nul_and_high", std::string("\0\x80\xfe><", 5), std::string("\0\x80\xfe>\n<", 6), 0},
    {"ff_in_loop", "a\xff<b><c>\xff", "a\xff<b>\n<c>\xff", 0},
    {"ff_after_bracket", ">\xff<>", ">\xff<>", 0},
    {"ff_ends_indent", "a\n \t\xff<x><y>", "a\n\xff<x>\n<y>", 1},
    {"crlf_source", "a\r\nb><c", "a\r\nb>\r\n<c", 0},
    {"crlf_first_line", "<a><b>\r\n<c><d>", "<a>\r\n<b>\r\n<c>\r\n<d>", 0},
    {"crlf_then_lf", "a\r\n<b><c>\n<d><e>", "a\r\n<b>\r\n<c>\n<d>\n<e>", 0},
    {"lf_in_loop_ends_crlf", "a\r\nb\n<c><d>", "a\r\nb\n<c>\n<d>", 0},
    {"crlf_after_bracket", "<a>\r\n<b><c>", "<a>\r\n<b>\r\n<c>", 0},
    {"lone_cr_is_data", "a\r<b><c>", "a\r<b>\n<c>", 0},
    {"cr_after_bracket", "<a>\r<b>\n", "<a>\r<b>\n", 0},
    {"cr_then_bracket", "x\r><", "x\r>\n<", 0},
    {"lone_cr_ends_first_line", "<a><b>\r", "<a>\n<b>\r", 0},
    {"strip_example", "a\n\t b\nc", "a\nb\nc", 1},
    {"first_line_kept", "  a\n  b", "  a\nb", 1},
    {"blank_line", "a\n \t\n  b", "a\n\nb", 1},
    {"trailing_blanks", "a\n   ", "a\n", 1},
    {"inner_blanks_kept", "a \t\n b \t c \t", "a \t\nb \t c \t", 1},
    {"after_bracket", "<a>\n  <b>", "<a>\n<b>", 1},
    {"bracket_pair_after_indent", "x\n  ><", "x\n>\n<", 1},
    {"cr_ends_indent", "a\n  \r\n  b", "a\n\r\nb", 1},
    {"ff_vt_end_indent", "a\n \fb\n\t\vc", "a\n\fb\n\vc", 1},
    {"strip_crlf", "a\r\n  <b><c>\r\n\t<d>", "a\r\n<b>\r\n<c>\r\n<d>", 1},
    // A target in text mode is given each line end as a line feed: the CR of
    // a CR LF is left to it, and inserted breaks never take the CR LF form.
    {"text_mode_crlf", "<a><b>\r\n<c><d>", "<a>\n<b>\n<c>\n<d>", 0, text_mode},
    {"text_mode_crlf_after_bracket", "<a>\r\n  <b>", "<a>\n<b>", 1, text_mode},
    {"text_mode_lone_cr", "a\r<b>\r", "a\r<b>\r", 0, text_mode},
};

class FilterTable : public testing::TestWithParam<filter_case> {};

TEST_P(FilterTable, FileAndPipeGiveTheSameBytes) {
    const filter_case &c = GetParam();
    EXPECT_EQ(convert(c.input, c.strip, 0, regular_file_source, c.target_writes_crlf).target,
              c.expected);
    // A pipe cannot be read ahead, so its inserted breaks are LF until its
    // first line end; the cases are chosen so that this changes nothing.
    if (c.name != std::string("crlf_first_line")) {
        EXPECT_EQ(convert(c.input, c.strip, 0, stream_source, c.target_writes_crlf).target,
                  c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Filter, FilterTable, testing::ValuesIn(filter_cases), row_name);

TEST(Filter, PipeStartsWithLineFeedBreaks) {
    EXPECT_EQ(convert("<a><b>\r\n<c><d>", 0, 0, stream_source).target, "<a>\n<b>\r\n<c>\r\n<d>");
}

TEST(Filter, FirstLineEndFoundHoweverFar) {
    // Longer than any stream buffer: the look-ahead goes on to the line end.
    std::string line(300 * 1024, 'x');
    EXPECT_EQ(convert("<a><b>" + line + "\r\n", 0, 0).target, "<a>\r\n<b>" + line + "\r\n");
}

struct report_case : table::row {
    std::string input;
    int strip;
    std::string target;
    std::string report;
};

const report_case report_cases[] = {
    {"example", "a\n\t b\nc", 1, "a\nb\nc", "Zeile    1: \t**\nZeile    2: \t\n"},
    {"verbose_alone", "a\n\t b\nc", 0, "a\n\t b\nc", ""},
    {"blank_line_reported", "a\n \n", 1, "a\n\n", "Zeile    1: \t*\nZeile    2: \t\n"},
    {"trailing_blanks", "a\n  \t", 1, "a\n", "Zeile    1: \t***\n"},
    {"after_bracket", "<a>\n <b>", 1, "<a>\n<b>", "Zeile    1: \t*\n"},
    {"crlf", "a\r\n  b\r\nc", 1, "a\r\nb\r\nc", "Zeile    1: \t**\nZeile    2: \t\n"},
};

class ReportTable : public testing::TestWithParam<report_case> {};

TEST_P(ReportTable, TargetAndReport) {
    const report_case &c = GetParam();
    filter_result result = convert(c.input, c.strip, 1);
    EXPECT_EQ(result.target, c.target);
    EXPECT_EQ(result.report, c.report);
}

INSTANTIATE_TEST_SUITE_P(Filter, ReportTable, testing::ValuesIn(report_cases), row_name);

TEST(Filter, LineNumbersWidenPastFourDigits) {
    filter_result result = convert(std::string(10000, '\n'), 1, 1);
    EXPECT_EQ(result.target, std::string(10000, '\n'));
    const std::string tail = "Zeile 9999: \t\nZeile 10000: \t\n";
    ASSERT_GE(result.report.size(), tail.size());
    EXPECT_EQ(result.report.substr(result.report.size() - tail.size()), tail);
}

TEST(Filter, LineNumberCountsPastThirtyTwoBits) {
    filter_result result = convert("a\nb\n", 1, 1, regular_file_source, 0, 2147483646);
    EXPECT_EQ(result.report, "Zeile 2147483647: \t\nZeile 2147483648: \t\n");
}

} // namespace
