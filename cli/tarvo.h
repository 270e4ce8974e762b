// The front end of tarvo: message codes, which are also the exit statuses,
// and the one function that tells the user something.
#ifndef TARVO_CLI_TARVO_H
#define TARVO_CLI_TARVO_H

constexpr int usage_error = 1;       // fewer than two names
constexpr int same_file = 2;         // source and target are one file
constexpr int source_unreadable = 3; // source cannot be opened
constexpr int target_unwritable = 4; // target cannot be opened
constexpr int read_failed = 5;       // the source failed during the pass
constexpr int write_failed = 6;      // output was lost
constexpr int several_matches = 7;   // a pattern stands for several names

// Standard output is the source's file, or would carry report lines into the
// target's file. Refused with the exit status of same_file, but in silence:
// every message goes to standard output, and that is the user's file here.
constexpr int same_file_on_stdout = -same_file;

// Prints the banner, the version line and the text for the code on standard
// output, and returns the code.
int show_message(int code, char **argv);

#endif
