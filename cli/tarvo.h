// The front end of tarvo: the message codes, each of which is also the exit
// status of a run that fails in that way, and the one function that tells
// the user something.
#ifndef TARVO_CLI_TARVO_H
#define TARVO_CLI_TARVO_H

constexpr int usage_error = 1;       // fewer than two names
constexpr int same_file = 2;         // source and target are one file
constexpr int source_unreadable = 3; // source cannot be opened
constexpr int target_unwritable = 4; // target cannot be opened
constexpr int read_failed = 5;       // the source failed during the pass
constexpr int write_failed = 6;      // output was lost
constexpr int several_matches = 7;   // a pattern stands for several names
constexpr int too_many_names = 8;    // a third name where only options belong

// Prints the banner, the version line and the text for the code on standard
// output, and returns the code. Message 7 names the last element of argv,
// where the expansion of patterns stopped.
int show_message(int code, char **argv);

// 1 when the name is -, which stands for a standard stream.
int is_dash(const char *name);

// The first word after the two names that is neither an option nor empty:
// a word that begins with - is an option, known or not. Null where there is
// none.
const char *first_surplus_name(char **argv);

#endif
