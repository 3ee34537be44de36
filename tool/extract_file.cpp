#include "tool/extract_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/buffers.h"
#include "tool/messages.h"
#include "tool/output_place.h"

namespace {

bool outputFailed = false;
bool listOnly = false;

bool failOutput(const char* name, const char* what, int error) {
    reportFileProblem(name, "%s: %s", what, systemReason(error));
    outputFailed = true;
    return false;
}

}  // namespace

bool anyOutputFailed() { return outputFailed; }

void resetOutputFailures() { outputFailed = false; }

void setListOnly(bool list) { listOnly = list; }

bool writeOutputFile(const char* name, const std::uint8_t* bytes, std::int32_t size) {
    errno = 0;
    std::FILE* out = createOutput(name);
    if (out == nullptr && errno == EEXIST) {
        // Only a run that keeps old files creates exclusively.
        reportFileProblem(name, "not written: the file exists");
        outputFailed = true;
        return false;
    }
    if (out == nullptr) {
        return failOutput(name, "cannot create the file", errno);
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
        return failOutput(name, "cannot write the file", written ? errno : writeError);
    }
    return true;
}

void carryOut(const FilePlan& plan) {
    if (listOnly) {
        return;
    }
    switch (plan.outcome) {
    case FileOutcome::Written:
        (void)writeOutputFile(plan.name, transferBuffer, plan.size);
        return;
    case FileOutcome::WrittenShort:
        if (writeOutputFile(plan.name, transferBuffer, plan.size)) {
            reportFileProblem(plan.name, "only %ld of %ld bytes could be read; the rest is zero",
                              static_cast<long>(plan.arrived), static_cast<long>(plan.size));
        }
        return;
    case FileOutcome::RefusedName:
        reportFileProblem(plan.name, "not written: %s", plan.refusal);
        outputFailed = true;
        return;
    case FileOutcome::NothingRead:
    case FileOutcome::EmptyName:
    case FileOutcome::NoSize:
        return;
    }
}
