#include "tool/d88extract/extract_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/cli/messages.h"

namespace {

// A name in a message, with its disk's folder when each disk has one.
ShownName shown(const Run& run, const char* name) { return run.output.shownName(name); }

bool failOutput(Run& run, const char* name, const char* what, int error) {
    reportFileProblem(run.console, shown(run, name).text, "%s: %s", what, systemReason(error));
    run.fileFailed = true;
    return false;
}

// Whether the file's disk folder stands (or, listing, could be made). A
// folder that cannot be made is reported once, and none of its disk's
// files is tried.
bool diskFolderReady(Run& run) {
    errno = 0;
    switch (run.output.prepareDiskFolder(run.listOnly)) {
    case DiskFolder::Ready:
        return true;
    case DiskFolder::FailedNow: {
        const int error = errno;
        // Room for a disk folder's path that was too long to make.
        char folder[PATH_SIZE + 16];
        if (!run.output.diskFolderPath(folder, sizeof folder)) {
            folder[0] = '\0';
        }
        reportFolderProblem(run.console, folder, error);
        run.fileFailed = true;
        return false;
    }
    case DiskFolder::FailedBefore:
        return false;
    }
    return false;
}

}  // namespace

bool writeOutputFile(Run& run, const char* name, const std::uint8_t* bytes, std::int32_t size) {
    if (!diskFolderReady(run)) {
        return false;
    }
    errno = 0;
    std::FILE* out = run.output.create(name);
    if (out == nullptr && errno == EEXIST) {
        // Only a run that keeps old files creates exclusively.
        reportFileProblem(run.console, shown(run, name).text, "not written: the file exists");
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
        // A listing writes nothing, but says what the run would about a
        // disk folder that cannot be made.
        if (writesFile(plan)) {
            (void)diskFolderReady(run);
        }
        return;
    }
    switch (plan.outcome) {
    case FileOutcome::Written:
        (void)writeOutputFile(run, plan.name, plan.bytes, plan.size);
        return;
    case FileOutcome::WrittenShort:
        if (writeOutputFile(run, plan.name, plan.bytes, plan.size)) {
            reportFileProblem(run.console, shown(run, plan.name).text,
                              "only %ld of %ld bytes could be read; the rest is zero",
                              static_cast<long>(plan.arrived), static_cast<long>(plan.size));
        }
        return;
    case FileOutcome::RefusedName:
        reportFileProblem(run.console, shown(run, plan.name).text, "not written: %s", plan.refusal);
        run.fileFailed = true;
        return;
    case FileOutcome::NothingRead:
    case FileOutcome::EmptyName:
    case FileOutcome::NoSize:
        return;
    }
}
