// The one start of every program: a program states its table, and
// runProgram decodes its command line, answers --help and --version,
// reports a wrong call, opens the image and hands it to the program's work.
#ifndef TOOL_CLI_PROGRAM_H
#define TOOL_CLI_PROGRAM_H

#include "d88/d88_image.h"
#include "tool/cli/options.h"
#include "tool/cli/run.h"

inline constexpr int STATUS_OK = 0;
inline constexpr int STATUS_FAILED = 1;
inline constexpr int STATUS_WRONG_CALL = 2;

// How a program answers a call its options refuse.
enum class WrongCallForm {
    // "Usage: ARGV0 [d88file]", then, unless the call had no argument at
    // all, "Try 'PROGRAM --help' for the options.": d88extract's answer,
    // which its first call, with no argument, has always given.
    InvokedName,
    // The program's usage line, then "Try 'PROGRAM --help' for more
    // information.".
    UsageLine,
};

// How a program says that the image cannot be opened.
enum class OpenFailureForm {
    // The stored Shift_JIS message alone: d88extract's answer.
    StoredMessage,
    // "PROGRAM: IMAGE: cannot open the image: REASON".
    NamedReason,
};

struct Program {
    const char* name;
    // The help's first line, "Usage: ...", and the text after it.
    const char* usage;
    const char* about;
    const OptionSet& options;
    int failedStatus;
    int wrongCallStatus;
    WrongCallForm wrongCall;
    // A closed pipe on standard output ends the run without a word.
    bool quietClosedPipe;
    OpenFailureForm openFailure;
    // Only a regular file is read as the image: a program that copies it
    // whole must not fill the disk from a device or wait on a pipe.
    bool regularImageOnly;
    // What the program refuses once the image is open, before its disks are
    // looked at; false after saying why. Null when it refuses nothing.
    bool (*check)(Run& run);
    // The program's work on the open image, whose disks asked for are all
    // there; false when the run failed (after saying why).
    bool (*work)(D88Image& image, Run& run);
};

// Runs `program` with the arguments argv[0] to argv[argc - 1]; returns the
// exit status: STATUS_OK after the work, help or version,
// program.failedStatus when anything failed or standard output was lost,
// program.wrongCallStatus for a wrong call.
int runProgram(const Program& program, int argc, char** argv);

#endif
