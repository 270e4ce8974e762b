// Banner, version line and the German message texts. The texts are stored in
// code page 850: \201 is u-umlaut, \341 sharp s and \224 o-umlaut. (Octal
// escapes end after three digits; a hex escape would swallow the letters
// that follow it.)
#include "platform.h"
#include "tarvo.h"
#include "version.h"

#include <cstdio>
#include <cstring>

namespace {

const char banner[] = "\n"
                      " ************************\n"
                      " ***      Tarvo       ***\n"
                      " ************************\n";
const char version_line[] = " Version " TARVO_VERSION ", " TARVO_VERSION_DATE "\n\n";

const char usage_text[] =
    " F\201gt in HTML-Dateien zwischen schlie\341ende und \224ffnende spitze Klammern einen "
    "Zeilenumbruch ein.\n\n"
    " Syntax: %s <Quelldatei> <Zieldatei> [Optionen]\n\n";
const char options_text[] = " Optionen (durch Leerzeichen getrennt):\n"
                            "  -l\tEntfernt Leerzeichen und Tabulatorzeichen am Zeilenanfang.\n"
                            "  -v\tAusf\201hrliche Ausgabe mit Zeilennummern.\n";
const char dash_text[] =
    " Statt eines Dateinamens f\201r die Quelldatei (Zieldatei) kann als 1. (2.) Parameter\n"
    " auch - f\201r die Standardeingabe (Standardausgabe) angegeben werden.";
const char same_file_text[] = " Quell- und Zieldateiname \"%s\" sind indentisch.\n"
                              " Bitte geben Sie verschiedene Dateinamen ein.\n";
const char source_text[] = " Die Quelldatei \"%s\" existiert nicht.\n";
const char target_text[] = " Die Zieldatei \"%s\" kann nicht ge\224ffnet werden.\n";
const char read_text[] = " Fehler beim Lesen der Quelldatei \"%s\".\n";
const char write_text[] = " Fehler beim Schreiben der Zieldatei \"%s\".\n";
const char pattern_text[] = " Das Muster \"%s\" passt auf mehrere Dateien.\n"
                            " Bitte geben Sie einen eindeutigen Dateinamen ein.\n";
const char surplus_text[] = " Zu viele Dateinamen: \"%s\" ist keine Option.\n"
                            " Bitte geben Sie genau eine Quelldatei und eine Zieldatei an.\n";
const char unknown_text[] = "Unbekannter Fehler";

// The code page 850 characters that the stored texts hold, and their UTF-8,
// in which a terminal that shows Unicode gets them. A test checks every
// stored text against this table.
const struct {
    unsigned char stored;
    const char *utf8;
} umlauts[] = {{0201, "\303\274"}, {0341, "\303\237"}, {0224, "\303\266"}};

// Part of a stored text as its reader sees it: on a terminal that shows
// Unicode with its umlauts in UTF-8; anywhere else as the code page 850
// bytes that scripts may match.
void put_stored(const char *text, size_t length) {
    if (message_shown_on() != unicode_terminal) {
        put_message(text, length, stored_text);
        return;
    }
    const char *run = text;
    for (const char *at = text; at < text + length; ++at) {
        for (const auto &umlaut : umlauts) {
            if (static_cast<unsigned char>(*at) != umlaut.stored)
                continue;
            put_message(run, at - run, stored_text);
            put_message(umlaut.utf8, strlen(umlaut.utf8), stored_text);
            run = at + 1;
        }
    }
    put_message(run, text + length - run, stored_text);
}

// The length of the UTF-8 character that starts at the bytes, decoded
// strictly: no overlong form, no surrogate, nothing past U+10FFFF. 0 where
// none starts there. The bytes end at a NUL, which is never a continuation.
size_t utf8_length(const unsigned char *at) {
    const unsigned char lead = at[0];
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    size_t length;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;   // overlong below U+0800
        high = lead == 0xED ? 0x9F : high; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;   // overlong below U+10000
        high = lead == 0xF4 ? 0x8F : high; // past U+10FFFF
    } else {
        return 0;
    }
    if (at[1] < low || at[1] > high)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if (at[i] < 0x80 || at[i] > 0xBF)
            return 0;
    }
    return length;
}

// The control character that starts at the bytes, and *length its bytes:
// C0 and DEL; on a terminal that reads single bytes, every byte from 0x80 to
// 0x9F (C1); on a UTF-8 one, C1 in its UTF-8 form and such a byte where no
// UTF-8 character holds it. -1 where there is none, and *length the bytes
// that pass as they are.
int control_at(const char *at, message_terminal shown_on, size_t *length) {
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(at);
    const unsigned char c = bytes[0];
    *length = 1;
    if (c < 0x20 || c == 0x7F)
        return c;
    const size_t character = shown_on == unicode_terminal ? utf8_length(bytes) : 0;
    if (character == 2 && c == 0xC2 && bytes[1] < 0xA0) {
        *length = 2;
        return bytes[1];
    }
    if (character > 0) {
        *length = character;
        return -1;
    }
    return c >= 0x80 && c < 0xA0 ? c : -1;
}

// A name exactly as it was given, but on a terminal, where its control
// characters could move the cursor, erase the message or change its
// colours: there they are shown as cat -v shows them, ^[ for ESC, ^? for
// DEL and M-^[ for the C1 control CSI.
void print_name(const char *name) {
    const message_terminal shown_on = message_shown_on();
    if (shown_on == no_terminal) {
        put_message(name, strlen(name), given_name);
        return;
    }
    const char *run = name;
    for (const char *at = name; *at;) {
        size_t length;
        const int control = control_at(at, shown_on, &length);
        if (control < 0) {
            at += length;
            continue;
        }
        char form[5];
        snprintf(form, sizeof form, "%s^%c", control >= 0x80 ? "M-" : "", (control & 0x7F) ^ 0x40);
        put_message(run, at - run, given_name);
        put_stored(form, strlen(form));
        at += length;
        run = at;
    }
    put_message(run, strlen(run), given_name);
}

// A stored text with one %s, and in its place a name as it was given on the
// command line.
void print_with_name(const char *format, const char *name) {
    const char *slot = strstr(format, "%s");
    put_stored(format, slot - format);
    if (name) // no program name where a caller execs with argc 0
        print_name(name);
    put_stored(slot + 2, strlen(slot + 2));
}

// Line output: the text and a line feed.
void print_line(const char *text) {
    put_stored(text, strlen(text));
    put_stored("\n", 1);
}

// The one file that message 2 names: with a source of -, standard input was
// found to be the target, so the target's name is the one that says which.
const char *named_file(const command_line &command) {
    return is_dash(command.source) ? command.target : command.source;
}

} // namespace

int show_message(int code, const command_line &command) {
    print_line(banner);
    put_stored(version_line, strlen(version_line));
    switch (code) {
    case usage_error:
        print_with_name(usage_text, command.program);
        print_line(options_text);
        print_line(dash_text);
        break;
    case same_file:
        print_with_name(same_file_text, named_file(command));
        break;
    case source_unreadable:
        print_with_name(source_text, command.source);
        break;
    case target_unusable:
        print_with_name(target_text, command.target);
        break;
    case read_failed:
        print_with_name(read_text, command.source);
        break;
    case output_lost:
        print_with_name(write_text, command.target);
        break;
    case several_matches:
        print_with_name(pattern_text, command.pattern);
        break;
    case too_many_names:
        print_with_name(surplus_text, command.surplus);
        break;
    default:
        print_line(unknown_text);
    }
    return code;
}
