#include "tool/d88extract/extract_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/cli/messages.h"
#include "tool/disk/buffers.h"

namespace {

bool failOutput(Run& run, const char* name, const char* what, int error) {
    reportFileProblem(run.console, name, "%s: %s", what, systemReason(error));
    run.fileFailed = true;
    return false;
}

}  // namespace

bool writeOutputFile(Run& run, const char* name, const std::uint8_t* bytes, std::int32_t size) {
    errno = 0;
    std::FILE* out = run.output.create(name);
    if (out == nullptr && errno == EEXIST) {
        // Only a run that keeps old files creates exclusively.
        reportFileProblem(run.console, name, "not written: the file exists");
        run.fileFailed = true;
        return false;
    }
    if (out == nullptr) {
        return failOutput(run, name, "cannot create the file", errno);
    }
    // The whole file goes out in one fwrite: a stdio buffer would only split
    // it into more system calls.
    std::setvbuf(out, nullptr, _IONBF, 0);
    errno = 0;
    const bool written = std::fwrite(bytes, 1, static_cast<std::size_t>(size), out) == static_cast<std::size_t>(size);
    const int writeError = errno;
    errno = 0;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        return failOutput(run, name, "cannot write the file", written ? errno : writeError);
    }
    return true;
}

void carryOut(Run& run, const FilePlan& plan) {
    if (run.listOnly) {
        return;
    }
    switch (plan.outcome) {
    case FileOutcome::Written:
        (void)writeOutputFile(run, plan.name, transferBuffer, plan.size);
        return;
    case FileOutcome::WrittenShort:
        if (writeOutputFile(run, plan.name, transferBuffer, plan.size)) {
            reportFileProblem(run.console, plan.name, "only %ld of %ld bytes could be read; the rest is zero",
                              static_cast<long>(plan.arrived), static_cast<long>(plan.size));
        }
        return;
    case FileOutcome::RefusedName:
        reportFileProblem(run.console, plan.name, "not written: %s", plan.refusal);
        run.fileFailed = true;
        return;
    case FileOutcome::NothingRead:
    case FileOutcome::EmptyName:
    case FileOutcome::NoSize:
        return;
    }
}
