// Banner, version line and the German message texts. The texts are stored in
// code page 850: \201 is u-umlaut, \341 sharp s and \224 o-umlaut. (Octal
// escapes end after three digits; a hex escape would swallow the letters
// that follow it.)
#include "platform.h"
#include "tarvo.h"

#include <cstdio>
#include <cstring>

namespace {

const char version[] = "3.1.1";
const char version_date[] = "25.09.2019";

const char banner[] = "\n"
                      " ************************\n"
                      " ***      Tarvo       ***\n"
                      " ************************\n";

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
const char unknown_text[] = "Unbekannter Fehler";

// Writes stored text to standard output. On a UTF-8 terminal the three
// code page 850 characters are shown as UTF-8; anywhere else, the stored
// bytes go out as they are.
void put_text(const char *text, size_t length, int utf8) {
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (utf8 && c == 0201)
            fputs("\303\274", stdout);
        else if (utf8 && c == 0341)
            fputs("\303\237", stdout);
        else if (utf8 && c == 0224)
            fputs("\303\266", stdout);
        else
            putchar(c);
    }
}

// Formatted output of a text with one %s. The argument is printed exactly as
// it was given on the command line.
void print_formatted(const char *format, const char *argument, int utf8) {
    const char *slot = strstr(format, "%s");
    put_text(format, slot - format, utf8);
    if (argument) // argv[0] may be missing when a caller execs with argc 0
        fputs(argument, stdout);
    put_text(slot + 2, strlen(slot + 2), utf8);
}

// Line output: the text and a line feed.
void print_line(const char *text, int utf8) {
    put_text(text, strlen(text), utf8);
    putchar('\n');
}

} // namespace

int show_message(int code, char **argv) {
    const int utf8 = console_takes_utf8();
    print_line(banner, utf8);
    printf(" Version %s, %s\n\n", version, version_date);
    switch (code) {
    case usage_error:
        print_formatted(usage_text, argv[0], utf8);
        print_line(options_text, utf8);
        print_line(dash_text, utf8);
        break;
    case same_file:
        print_formatted(same_file_text, argv[1], utf8);
        break;
    case source_unreadable:
        print_formatted(source_text, argv[1], utf8);
        break;
    case target_unwritable:
        print_formatted(target_text, argv[2], utf8);
        break;
    case read_failed:
        print_formatted(read_text, argv[1], utf8);
        break;
    case write_failed:
        print_formatted(write_text, argv[2], utf8);
        break;
    default:
        print_line(unknown_text, utf8);
    }
    return code;
}
