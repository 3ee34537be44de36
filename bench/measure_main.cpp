// d88measure FOLDER PROGRAM [ARG...]: runs PROGRAM in FOLDER, output to
// /dev/null, and prints "status seconds rchar wchar maxrss_kb".
//
// A process's peak resident set counts what it had mapped before exec, and a
// forked child starts with all of its parent's pages. The benchmark holds its
// images in memory, so it starts programs through this small process instead
// of forking them itself; the figure it reports then includes at most this
// launcher's own resident set (about 1 MB).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// rchar and wchar of an exited child that is not yet reaped.
void readIoCounters(pid_t child, unsigned long long& readBytes, unsigned long long& writtenBytes) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/io", static_cast<int>(child));
    std::FILE* io = std::fopen(path, "r");
    if (io == nullptr) {
        return;
    }
    char key[32];
    unsigned long long value = 0;
    while (std::fscanf(io, "%31s %llu", key, &value) == 2) {
        if (std::strcmp(key, "rchar:") == 0) {
            readBytes = value;
        } else if (std::strcmp(key, "wchar:") == 0) {
            writtenBytes = value;
        }
    }
    std::fclose(io);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: %s FOLDER PROGRAM [ARG...]\n", argv[0]);
        return 2;
    }
    const double started = now();
    const pid_t child = fork();
    if (child < 0) {
        return 2;
    }
    if (child == 0) {
        const int devNull = open("/dev/null", O_WRONLY);
        if (chdir(argv[1]) != 0 || devNull < 0 || dup2(devNull, STDOUT_FILENO) < 0
            || dup2(devNull, STDERR_FILENO) < 0) {
            _exit(126);
        }
        execv(argv[2], argv + 2);
        _exit(127);
    }
    siginfo_t info{};
    // Wait without reaping, so the child's /proc entry can still be read.
    if (waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT) != 0) {
        return 2;
    }
    const double ended = now();
    unsigned long long readBytes = 0;
    unsigned long long writtenBytes = 0;
    readIoCounters(child, readBytes, writtenBytes);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        return 2;
    }
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%d %.6f %llu %llu %ld\n", exitStatus, ended - started, readBytes, writtenBytes, usage.ru_maxrss);
    return 0;
}
