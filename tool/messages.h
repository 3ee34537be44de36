// Everything the tool says. The listing goes to standard output; usage and
// diagnostics go to standard error.
#ifndef TOOL_MESSAGES_H
#define TOOL_MESSAGES_H

#include <cstdint>

#include <cstdio>

#include "tool/options.h"

// `program` is argument 0 as the command line carries it (arguments.h).
// The system's text for errno value `error`, or "unknown error" for none.
const char* systemReason(int error);

void printUsage(const char* program);
void printOpenFailure();
void printBootDiskFound();

// The help of a tool: its usage line, `about`, then one line for each
// option of `options`, --help and --version.
void printHelp(const char* usage, const char* about, const OptionSet& options);
void printVersion(const char* program);

// Whether names read from the image, and the Shift_JIS message, go out in
// UTF-8 rather than as their raw Shift_JIS bytes. False until set.
void setNamesUtf8(bool utf8);
// Whether this system can convert Shift_JIS to UTF-8 at all.
bool canConvertNames();
// Writes `text` (Shift_JIS bytes, or ASCII) to `out` as names go out.
void putText(std::FILE* out, const char* text);

// One diagnostic line about output file `name`: "d88extract: NAME: TEXT".
void reportFileProblem(const char* name, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// "PROGRAM: PATH: cannot read the image: REASON" on standard error, for a
// read that failed after the image was opened (`error` is its errno); `path`
// as the command line carries it.
void reportImageReadError(const char* program, const char* path, int error);

// Standard output fails inside a print call, and the system's reason for it
// is gone by the time the tool finishes: look after every few lines and
// keep the first reason seen.
void watchStandardOutput();
void resetStandardOutputCheck();

// Flushes standard output; false (after `program` says so on standard
// error) when anything written to it was lost.
bool finishStandardOutput(const char* program);

#endif
