// Everything the tool says. The listing goes to standard output; usage and
// diagnostics go to standard error.
#ifndef TOOL_MESSAGES_H
#define TOOL_MESSAGES_H

#include <cstdint>

// `program` is argument 0 as the command line carries it (arguments.h).
void printUsage(const char* program);
void printOpenFailure();
void printBootDiskFound();

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
