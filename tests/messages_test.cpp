// The messages as a terminal that shows Unicode gets them, every stored
// text among them: a character of code page 850 that the conversion does
// not know would reach it as a raw byte. The platform is stood in for here.
#include "platform.h"
#include "tarvo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string shown;

// Where the first byte stands that is not part of a UTF-8 character, or
// npos. (The test's own decoder: the C library's needs a UTF-8 locale,
// which an emulated system may lack.)
size_t first_invalid(const std::string &bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const unsigned char c = bytes[at];
        const size_t length = c < 0x80                ? 1
                              : c >= 0xC2 && c < 0xE0 ? 2
                              : c >= 0xE0 && c < 0xF0 ? 3
                              : c >= 0xF0 && c < 0xF5 ? 4
                                                      : 0;
        if (length == 0 || at + length > bytes.size())
            return at;
        for (size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80)
                return at;
        }
        at += length;
    }
    return std::string::npos;
}

} // namespace

message_terminal message_shown_on() {
    return unicode_terminal;
}

void put_message(const char *bytes, size_t length, message_part) {
    shown.append(bytes, length);
}

TEST(Messages, EveryStoredTextShowsInUtf8) {
    const command_line command = {"tarvo", "a.html", "b.html", {}, "c.html", "*.html"};
    for (int code = 0; code <= 9; ++code) {
        shown.clear();
        EXPECT_EQ(show_message(code, command), code);
        EXPECT_EQ(first_invalid(shown), std::string::npos) << "message " << code << ": " << shown;
    }
}
