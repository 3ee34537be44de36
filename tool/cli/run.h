// The command-line layer (tool/cli): what the programs' command lines share,
// their options, messages, listing and the run they start. It uses the disk
// layer (tool/disk), the host layer (tool/host) and the reader (d88/).
//
// One run of a program, from its command line to its exit status: what was
// asked for and what the run found, passed as one value to the code that
// needs any of it.
#ifndef TOOL_CLI_RUN_H
#define TOOL_CLI_RUN_H

#include <cstddef>

#include "tool/cli/messages.h"
#include "tool/cli/options.h"
#include "tool/cli/selection.h"
#include "tool/disk/output_place.h"
#include "tool/host/file_system.h"

// The image file as the run opened it, before any byte of it was read: a
// program that copies it checks afterwards that no other program changed it
// meanwhile.
struct OpenedImage {
    // As the command line carries it.
    const char* path = "";
    // The stream the open image reads, while it is open.
    std::FILE* stream = nullptr;
    FileVersion version;
};

struct Run {
    // What the command line asked for.
    CommandLine line;
    // How the program speaks: its name, the form of names, and standard
    // output's first failure.
    Console console;
    // The image file, as opened.
    OpenedImage image;
    // Where the files go (for d88info, where d88extract's would), and the
    // image that must not be replaced.
    OutputPlace output;
    // The disks and files taken, and which NAMEs found a file.
    Selection selection;
    // Print the listing only, write nothing.
    bool listOnly = false;
    // An output file was refused or could not be written.
    bool fileFailed = false;
    // The work found the call wrong only once the image was open.
    bool wrongCall = false;
};

// A run lives on the stack of main, beside the Selection it is given (its
// NAMEs' pool is most of it): well within the 1 MB a Windows main thread
// has.
inline constexpr std::size_t RUN_STACK_BUDGET = 128 * 1024;
static_assert(sizeof(Run) <= RUN_STACK_BUDGET);

#endif
