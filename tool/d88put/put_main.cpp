#include "tool/d88put/put_main.h"

#include <cerrno>
#include <cstdio>

#include "tool/cli/messages.h"
#include "tool/cli/program.h"
#include "tool/d88put/changed_files.h"
#include "tool/d88put/new_image.h"
#include "tool/d88put/placement.h"
#include "tool/d88put/put_plan.h"
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

// About 4 MB each: static storage, not the stack.
LaterWrites laterWrites;
PutPlan plan;

// "REASON" of a refusal, in `text`.
void describeRefusal(const Change& change, char* text, std::size_t size) {
    const long disk = change.refusalDisk;
    const long entry = change.refusalEntry;
    switch (change.refusal) {
    case Refusal::NoRoomAfter:
        std::snprintf(text, size, "longer than its run and the sectors after it are not free");
        return;
    case Refusal::NoFreeRun: std::snprintf(text, size, "no free run holds %ld sectors", entry); return;
    case Refusal::Damaged: std::snprintf(text, size, "its place is damaged"); return;
    case Refusal::CrossLinked:
        if (entry == TITLE_ENTRY) {
            std::snprintf(text, size, "cross-linked with disk %ld TTLPRG", disk);
        } else {
            std::snprintf(text, size, "cross-linked with disk %ld entry %ld", disk, entry);
        }
        return;
    case Refusal::TooLong: std::snprintf(text, size, "longer than %ld bytes", static_cast<long>(TITLE_SIZE)); return;
    case Refusal::CopiesDiffer: std::snprintf(text, size, "its copy in disk%02ld differs", disk); return;
    case Refusal::Unchecked:
        std::snprintf(text, size, "the image's tracks run through each other too much to check its place");
        return;
    case Refusal::TooManyWrites:
        std::snprintf(text, size, "more sectors change than d88put can check in one run");
        return;
    }
}

void reportRefusals(Run& run) {
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        const Change& change = plan.change(i);
        if (change.result != PutResult::Refused) {
            continue;
        }
        OutputPlace place = run.output;
        place.enterDisk(change.place.disk);
        char shown[64];
        place.shownName(change.name, shown, sizeof shown);
        char reason[80];
        describeRefusal(change, reason, sizeof reason);
        reportFileProblem(run.console, shown, "not put back: %s", reason);
    }
}

// The line of each file put back; false when standard output lost them.
bool announce(Run& run) {
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        const Change& change = plan.change(i);
        OutputPlace place = run.output;
        place.enterDisk(change.place.disk);
        char shown[64];
        place.shownName(change.name, shown, sizeof shown);
        char safe[64];
        terminalSafeName(run.console, stdout, shown, safe, sizeof safe);
        putText(run.console, stdout, safe);
        switch (change.result) {
        case PutResult::Grown:
            std::printf(": grown to %ld sectors\n", static_cast<long>(change.sectors));
            break;
        case PutResult::Moved:
            std::printf(": moved to track %ld sector %ld\n", static_cast<long>(change.start.track),
                        static_cast<long>(change.start.sector));
            break;
        case PutResult::InPlace:
        case PutResult::Pending:
        case PutResult::Refused:
            std::printf(": written in its place\n");
            break;
        }
        watchStandardOutput(run.console);
    }
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}

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
    findChangedFiles(image, run, laterWrites, plan);
    placeChanges(image, plan, line.relocate);
    checkWrites(image, plan);
    // Bytes that could not be read look like damage: the read error is the
    // one thing to say then.
    const bool readFailed = image.hasReadError();
    if (readFailed) {
        reportImageReadError(run.console, line.image, image.getReadError());
    } else {
        reportRefusals(run);
    }
    const bool namesMissed = run.selection.reportNamesNotFound(run.console);
    bool done = !plan.anyRefused() && !run.fileFailed && !readFailed && !namesMissed;
    // The lines go out before NEW takes its name: one that cannot be said
    // leaves no NEW, so that the status holds for both.
    if (done && line.dryRun) {
        done = announce(run);
    } else if (done) {
        done = writeNewImage(image, run, plan, line.output, announce);
    }
    return done;
}

// -o is required: the parser refuses a call without it.
constexpr Program D88PUT = {"d88put", USAGE, ABOUT, PUT_OPTIONS, STATUS_FAILED,
                            STATUS_WRONG_CALL, WrongCallForm::UsageLine, false,
                            OpenFailureForm::NamedReason, checkNewImage, putBack};

}  // namespace

int putMain(int argc, char** argv) { return runProgram(D88PUT, argc, argv); }
