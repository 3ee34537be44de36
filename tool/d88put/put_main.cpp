#include "tool/d88put/put_main.h"

#include <cerrno>
#include <cstdio>

#include "tool/cli/messages.h"
#include "tool/cli/program.h"
#include "tool/d88put/changed_files.h"
#include "tool/d88put/new_image.h"
#include "tool/d88put/placement.h"
#include "tool/d88put/put_plan.h"
#include "tool/d88put/put_report.h"
#include "tool/d88put/write_check.h"
#include "tool/disk/later_writes.h"
#include "tool/host/arguments.h"
#include "tool/host/file_system.h"

namespace {

constexpr char USAGE[] = "Usage: d88put [OPTION]... -o NEW IMAGE [NAME]...\n";
constexpr char ABOUT[] =
    "Puts changed files back: writes NEW, a copy of the D88 image IMAGE with\n"
    "each file that differs from what d88extract, with the same -C,\n"
    "--disk-folders and --utf8, writes for it put back in its place. A file\n"
    "longer than its run grows into the free sectors after it, or with\n"
    "--relocate moves to the first free run long enough. With NAMEs, or\n"
    "--disk, only the files d88extract takes with them are put back. Refused\n"
    "files are named on standard error, and then no NEW is written. IMAGE is\n"
    "never written.\n";

// Static storage, not the stack (see LATER_WRITES_BUDGET, PUT_PLAN_BUDGET).
LaterWrites laterWrites;
OpenedFiles openedFiles;
PutPlan plan;

// Renaming the new image into place would replace the image itself, or a
// folder, a device or a pipe of that name; nor can it be made where its
// folder is missing or closed. Better said now than after the work.
bool checkNewImage(Run& run) {
    const char* output = run.line.output;
    const char* refusal = nullptr;
    if (isSameFileAt(output, run.output.getImage())) {
        refusal = "the file is the image being read";
    } else if (const PathKind kind = pathKind(output); kind == PathKind::Folder || kind == PathKind::Other) {
        refusal = "it is no regular file";
    } else if (isSameFileAt(output, identifyStream(stdout)) || isSameFileAt(output, identifyStream(stderr))) {
        // Such as /dev/stdout with standard output in a file: the rename
        // would replace the link itself, and the lines would go to a file
        // no name leads to any more.
        refusal = "the file is where standard output or standard error goes";
    }
    errno = 0;
    if (refusal == nullptr && !canCreateFileAt(output)) {
        std::fprintf(stderr, "%s: %s: cannot create the new image: %s\n", run.console.program,
                     argumentAsShown(output), systemReason(errno));
        return false;
    }
    if (refusal != nullptr) {
        std::fprintf(stderr, "%s: %s: not written: %s\n", run.console.program, argumentAsShown(output), refusal);
        return false;
    }
    return true;
}

bool putBack(D88Image& image, Run& run) {
    const CommandLine& line = run.line;
    // A folder that is not there holds no files: most likely a mistyped name.
    if (line.directory != nullptr && !isFolderPath(line.directory)) {
        std::fprintf(stderr, "%s: %s: no such folder\n", run.console.program, argumentAsShown(line.directory));
        return false;
    }
    plan.clear();
    const FileIdentity newIdentity = identifyPath(line.output);
    findChangedFiles(image, run, laterWrites, openedFiles, plan);
    // Renaming the new image into place would replace a file the run reads:
    // most likely the user's own edit.
    if (openedFiles.holds(newIdentity)) {
        std::fprintf(stderr, "%s: %s: not written: the file is one of the files being read\n", run.console.program,
                     argumentAsShown(line.output));
        return false;
    }
    placeChanges(image, plan, line.relocate);
    checkWrites(image, plan);
    // An image changed under the plan looks damaged or cut short: the
    // change is the one thing to say then, and a dry run says it too.
    if (reportImageChanged(run)) {
        return false;
    }
    // Bytes that could not be read look like damage: the read error is the
    // one thing to say then.
    const bool readFailed = image.hasReadError();
    if (readFailed) {
        reportImageReadError(run.console, line.image, image.getReadError());
    } else {
        reportRefusals(run, plan);
    }
    const bool namesMissed = run.selection.reportNamesNotFound(run.console);
    bool done = !plan.anyRefused() && !run.fileFailed && !readFailed && !namesMissed;
    // The lines go out before NEW takes its name: one that cannot be said
    // leaves no NEW, so that the status holds for both.
    if (done && line.dryRun) {
        done = announce(run, plan);
    } else if (done) {
        done = writeNewImage(image, run, plan, line.output, announce);
        if (!done && image.hasReadError()) {
            reportImageReadError(run.console, line.image, image.getReadError());
        }
    }
    return done;
}

// -o is required: the parser refuses a call without it.
constexpr Program D88PUT = {"d88put", USAGE, ABOUT, PUT_OPTIONS, STATUS_FAILED,
                            STATUS_WRONG_CALL, WrongCallForm::UsageLine, false,
                            OpenFailureForm::NamedReason, true, checkNewImage, putBack};

}  // namespace

int putMain(int argc, char** argv) { return runProgram(D88PUT, argc, argv); }
