#include "tool/messages.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tool/arguments.h"

namespace {

// "Cannot open the file", in Shift_JIS: the console this tool was made for
// shows code page 932, so the bytes go out unchanged.
constexpr char OPEN_FAILURE_SJIS[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x83\x49\x81\x5B\x83\x76"
    "\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\n";

constexpr char PROGRAM_NAME[] = "d88extract";

// errno when standard output was first seen failing; -1 while it has not.
int standardOutputError = -1;

const char* reasonText(int error) { return error > 0 ? std::strerror(error) : "unknown error"; }

}  // namespace

void printUsage(const char* program) {
    std::fprintf(stderr, "Usage: %s [d88file]\n", argumentAsShown(program));
}

void printOpenFailure() { std::fputs(OPEN_FAILURE_SJIS, stderr); }

void printBootDiskFound() {
    std::fputs("Found: DISK-A  cutting ... TTLPRG\n", stdout);
    watchStandardOutput();
}

void reportFileProblem(const char* name, const char* format, ...) {
    // Keep the diagnostic next to the listing line it belongs to when both
    // streams end up in one place.
    std::fflush(stdout);
    watchStandardOutput();
    std::fprintf(stderr, "%s: %s: ", PROGRAM_NAME, name);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

void reportImageReadError(const char* program, const char* path, int error) {
    std::fflush(stdout);
    watchStandardOutput();
    std::fprintf(stderr, "%s: %s: cannot read the image: %s\n", program, argumentAsShown(path),
                 reasonText(error));
}

void watchStandardOutput() {
    if (standardOutputError < 0 && std::ferror(stdout) != 0) {
        standardOutputError = errno;
    }
}

void resetStandardOutputCheck() { standardOutputError = -1; }

bool finishStandardOutput(const char* program) {
    watchStandardOutput();
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && std::ferror(stdout) == 0) {
        return true;
    }
    // The reason of the first failure, or of this flush's.
    const int error = standardOutputError > 0 ? standardOutputError : errno;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                 error > 0 ? std::strerror(error) : "write error");
    return false;
}
