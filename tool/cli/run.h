// The command-line layer (tool/cli): what the programs' command lines share,
// their options, messages, listing and the run they start. It uses the disk
// layer (tool/disk), the host layer (tool/host) and the reader (d88/).
//
// One run of a program, from its command line to its exit status: what was
// asked for and what the run found, passed as one value to the code that
// needs any of it.
#ifndef TOOL_CLI_RUN_H
#define TOOL_CLI_RUN_H

#include "tool/cli/messages.h"
#include "tool/cli/options.h"
#include "tool/cli/selection.h"
#include "tool/disk/output_place.h"

struct Run {
    // What the command line asked for.
    CommandLine line;
    // How the program speaks: its name, the form of names, and standard
    // output's first failure.
    Console console;
    // Where the files go (for d88info, where d88extract's would), and the
    // image that must not be replaced.
    OutputPlace output;
    // The disks and files taken, and which NAMEs found a file.
    Selection selection;
    // Print the listing only, write nothing.
    bool listOnly = false;
    // An output file was refused or could not be written.
    bool fileFailed = false;
};

#endif
