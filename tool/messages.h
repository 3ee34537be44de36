// Everything the tool says. The listing goes to standard output; usage and
// diagnostics go to standard error.
#ifndef TOOL_MESSAGES_H
#define TOOL_MESSAGES_H

#include <cstdint>

void printUsage(const char* program);
void printOpenFailure();
void printBootDiskFound();

// One diagnostic line about output file `name`: "d88extract: NAME: TEXT".
void reportFileProblem(const char* name, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Flushes standard output; false (after `program` says so on standard
// error) when anything written to it was lost.
bool finishStandardOutput(const char* program);

#endif
