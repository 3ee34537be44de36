// Everything the programs say. The listing and pages go to standard output;
// usage and diagnostics go to standard error.
#ifndef TOOL_CLI_MESSAGES_H
#define TOOL_CLI_MESSAGES_H

#include <cstdint>
#include <cstdio>

#include "tool/cli/options.h"

// How a program speaks during one run: the name its diagnostics carry, the
// form names from the image take, and the first failure of standard output.
struct Console {
    const char* program = "";
    // Names read from the image, and the Shift_JIS message, go out in UTF-8
    // rather than as their raw Shift_JIS bytes.
    bool namesUtf8 = false;
    // errno when standard output was first seen failing; -1 while it has not.
    int standardOutputError = -1;
    // Standard output and standard error reach a terminal (noteTerminals):
    // names from the image go there without their control characters.
    bool outputIsTerminal = false;
    bool errorsAreTerminal = false;
    // A closed pipe on standard output ends the run without a message: its
    // reader left on purpose (`| head`).
    bool quietClosedPipe = false;
};

// Notes in `console` which of the standard streams reach a terminal.
void noteTerminals(Console& console);

// The system's text for errno value `error`, or "unknown error" for none.
const char* systemReason(int error);

// `program` is argument 0 as the command line carries it (tool/host/arguments.h).
void printUsage(const char* program);
// The line after the usage of a call that used an option wrongly.
void printHelpHint(const char* program);
// A wrong call of a program that has a usage line of its own: `usage`, then
// "Try 'PROGRAM --help' for more information.".
void printUsageAndHelpHint(const char* usage, const char* program);
void printOpenFailure(const Console& console);
void printBootDiskFound(Console& console);

// The help of a program: its usage line, `about`, then one line for each
// option of `options`, --help and --version.
void printHelp(const char* usage, const char* about, const OptionSet& options);
// "PROGRAM VERSION" and the licence's name, on two lines.
void printVersion(const char* program);

// Whether this system can convert Shift_JIS to UTF-8 at all.
bool canConvertNames();
// Sets the console's names to UTF-8 when `utf8` asks for it; false, after
// "PROGRAM: --utf8: ..." on standard error, when this system cannot.
bool chooseNamesUtf8(Console& console, bool utf8);
// Writes `text` (Shift_JIS bytes, or ASCII) to `out` as names go out; in
// UTF-8 to a terminal, without the C1 controls (U+0080 to U+009F) that a
// terminal reading UTF-8 would act on.
void putText(const Console& console, std::FILE* out, const char* text);

// `name`, read from the image, in `out` (cut short to `size`) as it may be
// written to `stream`: on a terminal each control byte becomes '?', as an
// escape sequence in a name could recolour the screen, retitle the window or
// worse. Elsewhere the bytes stay as they are, for scripts. The length is
// kept, so a name padded afterwards keeps its columns.
void terminalSafeName(const Console& console, std::FILE* stream, const char* name, char* out,
                      std::size_t size);

// One diagnostic line about output file `name`, as the output place shows
// it: "PROGRAM: NAME: TEXT", the name safe for a terminal.
void reportFileProblem(Console& console, const char* name, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// "PROGRAM: PATH: cannot create the folder: REASON" on standard error for
// an output folder `path` (as the command line carries paths) that could
// not be made; `error` is the errno.
void reportFolderProblem(Console& console, const char* path, int error);

// Why an image could not be opened.
enum class ImageOpenProblem {
    System,      // the errno says why, 0 when it holds nothing to read as an image
    NotRegular,  // a folder, a device or a pipe, which the program does not read
};

// "PROGRAM: PATH: cannot open the image: REASON" on standard error; `error`
// is the errno of a System problem; `path` as the command line carries it.
void reportImageOpenFailure(const Console& console, const char* path, ImageOpenProblem problem, int error);

// "PROGRAM: PATH: cannot read the image: REASON" on standard error, for a
// read that failed after the image was opened (`error` is its errno); `path`
// as the command line carries it.
void reportImageReadError(Console& console, const char* path, int error);

// Standard output fails inside a print call, and the system's reason for it
// is gone by the time the program finishes: look after every few lines and
// keep the first reason seen.
void watchStandardOutput(Console& console);

// Flushes standard output; false (after saying so on standard error, but
// for a quiet closed pipe) when anything written to it was lost.
bool finishStandardOutput(Console& console);

#endif
