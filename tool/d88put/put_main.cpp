#include "tool/d88put/put_main.h"

#include <cerrno>
#include <cstdio>

#include "d88/d88_image.h"
#include "tool/cli/messages.h"
#include "tool/cli/options.h"
#include "tool/cli/run.h"
#include "tool/d88put/changed_files.h"
#include "tool/d88put/new_image.h"
#include "tool/d88put/placement.h"
#include "tool/d88put/put_plan.h"
#include "tool/d88put/put_report.h"
#include "tool/d88put/write_check.h"
#include "tool/disk/later_writes.h"
#include "tool/host/arguments.h"
#include "tool/host/broken_pipe.h"
#include "tool/host/file_system.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILURE_STATUS = 1;
constexpr int EXIT_USAGE = 2;

constexpr char PROGRAM[] = "d88put";
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

// About 4 MB each: static storage, not the stack.
D88Image image;
LaterWrites laterWrites;
OpenedFiles openedFiles;
PutPlan plan;

int usageError() {
    std::fputs(USAGE, stderr);
    std::fputs("Try 'd88put --help' for more information.\n", stderr);
    return EXIT_USAGE;
}

}  // namespace

int putMain(int argc, char** argv) {
    ignoreBrokenPipe();
    Run run;
    run.console.program = PROGRAM;
    noteTerminals(run.console);
    CommandLine line;
    switch (parseCommandLine(argc, argv, PUT_OPTIONS, line)) {
    case ParseResult::Help:
        printHelp(USAGE, ABOUT, PUT_OPTIONS);
        return finishStandardOutput(run.console) ? EXIT_OK : EXIT_FAILURE_STATUS;
    case ParseResult::Version:
        printVersion(PROGRAM);
        return finishStandardOutput(run.console) ? EXIT_OK : EXIT_FAILURE_STATUS;
    case ParseResult::Usage:
        return usageError();
    case ParseResult::Run:
        break;
    }
    if (line.output == nullptr) {
        return usageError();
    }
    if (!chooseNamesUtf8(run.console, line.utf8)) {
        return EXIT_FAILURE_STATUS;
    }
    errno = 0;
    bool special = false;
    std::FILE* stream = openRegularImageFile(line.image, special);
    const FileIdentity identity = identifyStream(stream);
    // Taken before anything is read, to be checked once the copy is made.
    const PlannedImage planned{line.image, stream, versionOfStream(stream)};
    if (!image.openStream(stream)) {
        std::fprintf(stderr, "%s: %s: cannot open the image: %s\n", PROGRAM, argumentAsShown(line.image),
                     special ? "it is no regular file" : errno != 0 ? systemReason(errno) : "not a readable file");
        return EXIT_FAILURE_STATUS;
    }
    // Renaming the new image into place would replace the image itself, or
    // a folder, a device or a pipe of that name; nor can it be made where
    // its folder is missing or closed. Better said now than after the work.
    const char* refusal = nullptr;
    if (isSameFileAt(line.output, identity)) {
        refusal = "the file is the image being read";
    } else if (const PathKind kind = pathKind(line.output); kind == PathKind::Folder || kind == PathKind::Other) {
        refusal = "it is no regular file";
    }
    errno = 0;
    if (refusal == nullptr && !canCreateFileAt(line.output)) {
        std::fprintf(stderr, "%s: %s: cannot create the new image: %s\n", PROGRAM, argumentAsShown(line.output),
                     systemReason(errno));
        image.close();
        return EXIT_FAILURE_STATUS;
    }
    if (refusal != nullptr) {
        std::fprintf(stderr, "%s: %s: not written: %s\n", PROGRAM, argumentAsShown(line.output), refusal);
        image.close();
        return EXIT_FAILURE_STATUS;
    }
    OutputSettings settings;
    settings.folder = line.directory != nullptr ? line.directory : "";
    settings.diskFolders = line.diskFolders;
    settings.utf8Names = line.utf8;
    run.output = OutputPlace(settings, identity);
    run.selection = Selection(line);
    if (run.selection.reportMissingDisks(run.console, image.getDiskCount())) {
        image.close();
        return EXIT_FAILURE_STATUS;
    }
    // A folder that is not there holds no files: most likely a mistyped name.
    if (line.directory != nullptr && !isFolderPath(line.directory)) {
        std::fprintf(stderr, "%s: %s: no such folder\n", PROGRAM, argumentAsShown(line.directory));
        image.close();
        return EXIT_FAILURE_STATUS;
    }

    plan.clear();
    const FileIdentity newIdentity = identifyPath(line.output);
    findChangedFiles(image, run, laterWrites, openedFiles, plan);
    // Renaming the new image into place would replace a file the run reads:
    // most likely the user's own edit.
    if (openedFiles.holds(newIdentity)) {
        std::fprintf(stderr, "%s: %s: not written: the file is one of the files being read\n", PROGRAM,
                     argumentAsShown(line.output));
        image.close();
        return EXIT_FAILURE_STATUS;
    }
    placeChanges(image, plan, line.relocate);
    checkWrites(image, plan);
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
        done = writeNewImage(image, run, plan, planned, line.output, announce);
        if (!done && image.hasReadError()) {
            reportImageReadError(run.console, line.image, image.getReadError());
        }
    }
    image.close();
    const bool outputKept = finishStandardOutput(run.console);
    return done && outputKept ? EXIT_OK : EXIT_FAILURE_STATUS;
}
