#include "bench/child_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

ChildStats runChild(const std::vector<std::string>& args, const std::string& folder) {
    std::vector<std::string> all = {D88MEASURE_PATH, folder};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t launcher = ::fork();
    if (launcher < 0) {
        throw std::runtime_error("fork failed");
    }
    if (launcher == 0) {
        ::close(pipeEnds[0]);
        if (::dup2(pipeEnds[1], STDOUT_FILENO) < 0) {
            ::_exit(126);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::FILE* report = ::fdopen(pipeEnds[0], "r");
    ChildStats stats;
    unsigned long long readBytes = 0;
    unsigned long long writtenBytes = 0;
    const int fields = report != nullptr ? std::fscanf(report, "%d %lf %llu %llu %ld", &stats.status, &stats.seconds,
                                                       &readBytes, &writtenBytes, &stats.maxRssKb)
                                         : 0;
    if (report != nullptr) {
        std::fclose(report);
    }
    int launcherStatus = 0;
    ::waitpid(launcher, &launcherStatus, 0);
    if (fields != 5) {
        throw std::runtime_error("d88measure reported nothing for " + args[0]);
    }
    stats.bytesRead = readBytes;
    stats.bytesWritten = writtenBytes;
    return stats;
}
