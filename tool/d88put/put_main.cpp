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
#include "tool/d88put/strays.h"
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
    "--relocate moves to the first free run long enough; with --shrink a\n"
    "shorter file gives back the sectors it no longer needs; with --delete\n"
    "a file taken away from the folder leaves the disk, and the entries after\n"
    "it move up a slot. With NAMEs, or\n"
    "--disk, only the files d88extract takes with them are put back. Refused\n"
    "files, and files no entry names, are named on standard error, and then\n"
    "no NEW is written. A run that changes nothing says so. IMAGE is never\n"
    "written.\n";

// Static storage, not the stack (see LATER_WRITES_BUDGET, PUT_PLAN_BUDGET).
LaterWrites laterWrites;
OpenedFiles openedFiles;
PutPlan plan;
DirectoryCopies directoryCopies;
Strays strays;

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
    findStrays(image, run, newIdentity, strays);
    // Not one of the files d88extract would write, and nothing else either:
    // most likely files taken out with other options, which this run would
    // silently leave as they are.
    if (plan.holdsNoTakenFile() && strays.count() == 0) {
        std::fprintf(stderr, "%s: %s: holds none of the image's files (taken out with other -C, --disk-folders or --utf8?)\n",
                     run.console.program, argumentAsShown(line.directory != nullptr ? line.directory : "."));
        return false;
    }
    placeChanges(image, plan, directoryCopies, PlacementChoices{line.relocate, line.shrink});
    checkWrites(image, plan);
    // Bytes that could not be read look like damage: the read error is the
    // one thing to say then.
    const bool readFailed = image.hasReadError();
    if (readFailed) {
        reportImageReadError(run.console, line.image, image.getReadError());
    } else {
        reportRefusals(run, plan);
        reportStrays(run, strays);
    }
    const bool namesMissed = run.selection.reportNamesNotFound(run.console);
    bool done = !plan.anyRefused() && strays.count() == 0 && !run.fileFailed && !readFailed && !namesMissed;
    // The lines go out before NEW takes its name: one that cannot be said
    // leaves no NEW, so that the status holds for both.
    if (done && line.dryRun) {
        done = announce(run, plan);
    } else if (done) {
        done = writeNewImage(image, run, plan, directoryCopies, line.output, announce);
        if (!done && image.hasReadError()) {
            reportImageReadError(run.console, line.image, image.getReadError());
        }
    }
    // A run that changes nothing looks like success and may be a mistake:
    // say so.
    if (done && plan.changeCount() == 0) {
        // The shown argument's storage is reused: one at a time.
        std::fprintf(stderr, "%s: no file changed: %s", run.console.program, argumentAsShown(line.output));
        std::fprintf(stderr, " %s a copy of %s\n", line.dryRun ? "would be" : "is", argumentAsShown(line.image));
    }
    return done;
}

// With -n, the last word says that nothing was written, whatever came
// before.
bool putBackOrTry(D88Image& image, Run& run) {
    const bool done = putBack(image, run);
    if (run.line.dryRun) {
        std::fprintf(stderr, "%s: %s: not written (-n, --dry-run)\n", run.console.program,
                     argumentAsShown(run.line.output));
    }
    return done;
}

// -o is required: the parser refuses a call without it.
constexpr Program D88PUT = {"d88put", USAGE, ABOUT, PUT_OPTIONS, STATUS_FAILED,
                            STATUS_WRONG_CALL, WrongCallForm::UsageLine, false,
                            OpenFailureForm::NamedReason, true, checkNewImage, putBackOrTry};

}  // namespace

int putMain(int argc, char** argv) { return runProgram(D88PUT, argc, argv); }
