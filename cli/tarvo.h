// The front end of tarvo: the message codes, each of which is also the exit
// status of a run that fails in that way, the command line, and the one
// function that tells the user something.
#ifndef TARVO_CLI_TARVO_H
#define TARVO_CLI_TARVO_H

#include "filter.h"

constexpr int usage_error = 1;       // fewer than two names
constexpr int same_file = 2;         // source and target are one file
constexpr int source_unreadable = 3; // the source cannot be opened, or is a directory
// The target cannot be used: it cannot be opened for writing (a directory,
// a missing folder, no permission), cannot be told apart from the source,
// is standard input's own pipe, or cannot be emptied.
constexpr int target_unusable = 4;
// The source failed: a read error, a closed standard stream as the source,
// or the pipe that the run's own output goes into.
constexpr int read_failed = 5;
// Output was lost: the target or standard output could not be written, or
// the target is a closed standard stream.
constexpr int output_lost = 6;
constexpr int several_matches = 7; // a pattern stands for several names
constexpr int too_many_names = 8;  // a third name where only options belong

// The command line, read once into its parts; null where a part is not
// there.
struct command_line {
    const char *program; // element 0, as the platform gave it
    const char *source;
    const char *target;
    filter_options options; // -l, -v
    // The first word after the two names that is neither an option nor
    // empty, which is refused.
    const char *surplus;
    // A pattern in the source or the target position that matched several
    // files, which is refused.
    const char *pattern;
};

// 1 when the name is -: standard input as the source, standard output as
// the target.
inline int is_dash(const char *name) {
    return name[0] == '-' && name[1] == '\0';
}

// Prints the banner, the version line and the text for the code on standard
// output, naming the part of the command line that the code is about, and
// returns the code.
int show_message(int code, const command_line &command);

#endif
