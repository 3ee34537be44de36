// Runs a program in a folder, through d88measure, and reports it as the
// kernel saw it.
#ifndef BENCH_CHILD_RUN_H
#define BENCH_CHILD_RUN_H

#include <cstdint>
#include <string>
#include <vector>

struct ChildStats {
    int status = -1;
    double seconds = 0;              // wall time from fork to exit
    std::uint64_t bytesRead = 0;     // read system calls (rchar)
    std::uint64_t bytesWritten = 0;  // write system calls (wchar)
    long maxRssKb = 0;               // peak resident set
};

// Runs `args` (args[0] a path) in `folder`, standard output and error to
// /dev/null.
ChildStats runChild(const std::vector<std::string>& args, const std::string& folder);

#endif
