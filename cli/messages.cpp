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

// A stored text with one %s, and in its place a name exactly as it was
// given on the command line.
void print_with_name(const char *format, const char *name) {
    const char *slot = strstr(format, "%s");
    put_message(format, slot - format, stored_text);
    if (name) // no program name where a caller execs with argc 0
        put_message(name, strlen(name), given_name);
    put_message(slot + 2, strlen(slot + 2), stored_text);
}

// Line output: the text and a line feed.
void print_line(const char *text) {
    put_message(text, strlen(text), stored_text);
    put_message("\n", 1, stored_text);
}

// The one file that message 2 names: with a source of -, standard input was
// found to be the target, so the target's name is the one that says which.
const char *one_file(const command_line &line) {
    return strcmp(line.source, "-") == 0 ? line.target : line.source;
}

} // namespace

int show_message(int code, const command_line &line) {
    print_line(banner);
    put_message(version_line, strlen(version_line), stored_text);
    switch (code) {
    case usage_error:
        print_with_name(usage_text, line.program);
        print_line(options_text);
        print_line(dash_text);
        break;
    case same_file:
        print_with_name(same_file_text, one_file(line));
        break;
    case source_unreadable:
        print_with_name(source_text, line.source);
        break;
    case target_unwritable:
        print_with_name(target_text, line.target);
        break;
    case read_failed:
        print_with_name(read_text, line.source);
        break;
    case write_failed:
        print_with_name(write_text, line.target);
        break;
    case several_matches:
        print_with_name(pattern_text, line.pattern);
        break;
    case too_many_names:
        print_with_name(surplus_text, line.surplus);
        break;
    default:
        print_line(unknown_text);
    }
    return code;
}
