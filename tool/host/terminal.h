// Whether a stream reaches a person's screen: a terminal on POSIX, a
// console on Windows. Bytes sent there are acted on, not only shown.
#ifndef TOOL_HOST_TERMINAL_H
#define TOOL_HOST_TERMINAL_H

#include <cstdio>

bool isTerminal(std::FILE* stream);

#endif
