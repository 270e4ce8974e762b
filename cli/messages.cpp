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

// The control character that starts at the byte, and *length its bytes:
// C0 and DEL; on a terminal that reads single bytes, every byte from 0x80 to
// 0x9F (C1); on a UTF-8 one, C1 in its UTF-8 form and such a byte where it
// continues no character. -1 where there is none. *pending counts the bytes
// that the last UTF-8 lead byte still expects.
int control_at(const char *at, message_terminal shown_on, int *pending, size_t *length) {
    const unsigned char c = static_cast<unsigned char>(at[0]);
    const unsigned char next = static_cast<unsigned char>(at[1]);
    const bool utf8 = shown_on == utf8_terminal;
    const bool c1 = c >= 0x80 && c < 0xA0;
    const int continues = *pending;
    *length = 1;
    *pending = c >= 0xC0 && c < 0xF8                    ? (c >= 0xF0   ? 3
                                                           : c >= 0xE0 ? 2
                                                                       : 1)
               : c >= 0x80 && c < 0xC0 && continues > 0 ? continues - 1
                                                        : 0;
    if (c < 0x20 || c == 0x7F || (c1 && (!utf8 || continues == 0)))
        return c;
    if (utf8 && c == 0xC2 && next >= 0x80 && next < 0xA0) {
        *length = 2;
        *pending = 0;
        return next;
    }
    return -1;
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
    int pending = 0;
    for (const char *at = name; *at;) {
        size_t length;
        const int control = control_at(at, shown_on, &pending, &length);
        if (control < 0) {
            ++at;
            continue;
        }
        char form[5];
        snprintf(form, sizeof form, "%s^%c", control >= 0x80 ? "M-" : "", (control & 0x7F) ^ 0x40);
        put_message(run, at - run, given_name);
        put_message(form, strlen(form), stored_text);
        at += length;
        run = at;
    }
    put_message(run, strlen(run), given_name);
}

// A stored text with one %s, and in its place a name as it was given on the
// command line.
void print_with_name(const char *format, const char *name) {
    const char *slot = strstr(format, "%s");
    put_message(format, slot - format, stored_text);
    if (name) // no program name where a caller execs with argc 0
        print_name(name);
    put_message(slot + 2, strlen(slot + 2), stored_text);
}

// Line output: the text and a line feed.
void print_line(const char *text) {
    put_message(text, strlen(text), stored_text);
    put_message("\n", 1, stored_text);
}

// The one file that message 2 names: with a source of -, standard input was
// found to be the target, so the target's name is the one that says which.
const char *named_file(const command_line &command) {
    return strcmp(command.source, "-") == 0 ? command.target : command.source;
}

} // namespace

int show_message(int code, const command_line &command) {
    print_line(banner);
    put_message(version_line, strlen(version_line), stored_text);
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
    case write_failed:
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
