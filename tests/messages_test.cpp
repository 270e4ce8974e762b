// The messages as a terminal that shows Unicode gets them, every stored
// text among them: a character of code page 850 that the conversion does
// not know would reach it as a raw byte. The platform is stood in for here.
#include "platform.h"
#include "tarvo.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <string>

namespace {

std::string shown;

// Where the first byte that is not part of a UTF-8 character stands, or
// npos.
size_t first_invalid(const std::string &bytes) {
    std::mbstate_t state = {};
    for (size_t at = 0; at < bytes.size();) {
        wchar_t c;
        const size_t length = std::mbrtowc(&c, bytes.data() + at, bytes.size() - at, &state);
        if (length == static_cast<size_t>(-1) || length == static_cast<size_t>(-2))
            return at;
        at += length == 0 ? 1 : length;
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
    ASSERT_TRUE(std::setlocale(LC_CTYPE, "C.UTF-8"));
    const command_line command = {"tarvo", "a.html", "b.html", {}, "c.html", "*.html"};
    for (int code = 0; code <= 9; ++code) {
        shown.clear();
        EXPECT_EQ(show_message(code, command), code);
        EXPECT_EQ(first_invalid(shown), std::string::npos) << "message " << code << ": " << shown;
    }
}
