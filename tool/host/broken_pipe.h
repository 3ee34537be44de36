// Writing to a closed pipe must fail like any other write to standard
// output (reported, status 1) rather than end the process before the walk
// has written every file.
#ifndef TOOL_HOST_BROKEN_PIPE_H
#define TOOL_HOST_BROKEN_PIPE_H

#include <csignal>

inline void ignoreBrokenPipe() {
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

#endif
