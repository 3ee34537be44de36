#include "tool/d88put/put_main.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

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
    "it move up a slot; with --add a file no entry names gets a new entry in\n"
    "the first free run long enough. With NAMEs, or --disk, only the files\n"
    "d88extract takes with them are put back. Refused files, and files no\n"
    "entry names, are named on standard error, and then no NEW is written.\n"
    "A run that changes nothing says so. IMAGE is never written.\n";

// Static storage, not the stack (see LATER_WRITES_BUDGET, PUT_PLAN_BUDGET).
LaterWrites laterWrites;
OpenedFiles openedFiles;
PutPlan plan;
DirectoryCopies directoryCopies;
Strays strays;
KnownNames knownNames;

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

// The disk that gets the strays' entries without --disk-folders: the one
// disk taken, or -1 when several are.
std::int32_t onlyDiskTaken(const D88Image& image, const Run& run) {
    std::int32_t only = -1;
    for (std::int32_t disk = 0; disk < image.getDiskCount(); ++disk) {
        if (run.selection.takesDisk(disk)) {
            if (only >= 0) {
                return -1;
            }
            only = disk;
        }
    }
    return only;
}

// Why the stray cannot become an entry by its name, or null.
const char* addNameRefusal(const Run& run, const Stray& stray) {
    if (stray.name[0] == '\0' || static_cast<std::uint8_t>(stray.name[0]) == DIR_END_MARK
        || nameRefusal(run.output, stray.name) != nullptr) {
        return "its name is no entry name (1 to 6 bytes) d88extract writes as it is";
    }
    char created[FOLDER_FILE_NAME_SIZE];
    createdFileName(stray.name, run.output.getSettings().utf8Names, created, sizeof created);
    if (std::strcmp(created, stray.file) != 0) {
        return "its name is no entry name (1 to 6 bytes) d88extract writes as it is";
    }
    if (std::strcmp(stray.name, TITLE_NAME) == 0) {
        return "TTLPRG is never added";
    }
    return nullptr;
}

// Whether the files `a` and `b` hold the same bytes.
bool sameBytes(std::FILE* a, std::FILE* b) {
    static std::uint8_t blockA[64 * 1024];
    static std::uint8_t blockB[64 * 1024];
    for (;;) {
        const std::size_t gotA = std::fread(blockA, 1, sizeof blockA, a);
        const std::size_t gotB = std::fread(blockB, 1, sizeof blockB, b);
        if (gotA != gotB || std::memcmp(blockA, blockB, gotA) != 0) {
            return false;
        }
        if (gotA < sizeof blockA) {
            return std::ferror(a) == 0 && std::ferror(b) == 0;
        }
    }
}

// The add of `name` an earlier listing of the disk at `offset` planned, or
// null: a disk listed again at the same place gets each new entry once.
Change* earlierAdd(std::int32_t offset, const char* name) {
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        Change& change = plan.change(i);
        if (change.action == ChangeAction::Add && change.diskOffset == offset && std::strcmp(change.name, name) == 0) {
            return &change;
        }
    }
    return nullptr;
}

// Turns each stray into a change that adds it, by its disk and then its
// name's bytes; false when any is refused by its name (said here) or the
// call leaves its disk open.
bool planAdds(D88Image& image, Run& run) {
    const std::int32_t only = onlyDiskTaken(image, run);
    if (!run.line.diskFolders && only < 0) {
        std::fprintf(stderr, "%s: --add needs --disk-folders or one --disk=N\n", run.console.program);
        std::fprintf(stderr, "Try '%s --help' for more information.\n", run.console.program);
        run.wrongCall = true;
        return false;
    }
    static std::int32_t order[Strays::MAX_STRAYS];
    for (std::int32_t i = 0; i < strays.keptCount(); ++i) {
        order[i] = i;
    }
    std::sort(order, order + strays.keptCount(), [](std::int32_t a, std::int32_t b) {
        const Stray& x = strays.at(a);
        const Stray& y = strays.at(b);
        return x.disk != y.disk ? x.disk < y.disk : std::strcmp(x.name, y.name) < 0;
    });
    bool named = true;
    for (std::int32_t i = 0; i < strays.keptCount(); ++i) {
        const Stray& stray = strays.at(order[i]);
        if (const char* refusal = addNameRefusal(run, stray)) {
            char shown[FOLDER_FILE_NAME_SIZE + SHOWN_NAME_SIZE];
            strayShownName(run, stray, shown, sizeof shown);
            std::fprintf(stderr, "%s: %s: not put back: %s\n", run.console.program, argumentAsShown(shown), refusal);
            named = false;
            continue;
        }
        const std::int32_t disk = stray.disk >= 0 ? stray.disk : only;
        run.output.enterDisk(disk);
        ExistingFile found;
        std::FILE* file = run.output.openExisting(stray.name, found);
        if (file == nullptr) {
            reportFileProblem(run.console, run.output.shownName(stray.name).text, "cannot read the file: %s",
                              systemReason(errno != 0 ? errno : EIO));
            named = false;
            continue;
        }
        Change* earlier = earlierAdd(image.getDiskOffset(disk), stray.name);
        if (earlier != nullptr) {
            // The same file added to two copies' folders is one add.
            OutputPlace earlierPlace = run.output;
            earlierPlace.enterDisk(earlier->place.disk);
            ExistingFile other;
            std::FILE* copy = earlierPlace.openExisting(stray.name, other);
            if (copy == nullptr || other.length != found.length || !sameBytes(file, copy)) {
                earlier->refuse(Refusal::CopiesDiffer, disk);
            }
            if (copy != nullptr) {
                std::fclose(copy);
            }
            std::fclose(file);
            continue;
        }
        std::fclose(file);
        Change* change = plan.addChange();
        if (change == nullptr) {
            named = false;
            continue;
        }
        change->action = ChangeAction::Add;
        change->place = WritePlace{disk, NO_ENTRY};
        change->diskOffset = image.getDiskOffset(disk);
        std::snprintf(change->name, sizeof change->name, "%s", stray.name);
        change->length = found.length;
    }
    return named;
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
    // A run that takes every file meets every name while it compares, and
    // so knows which files of the folders are strays without another pass
    // over the image.
    const bool namesEveryFile = run.selection.takesEverything();
    knownNames.start(run.output.getSettings().utf8Names);
    findChangedFiles(image, run, laterWrites, openedFiles, plan, namesEveryFile ? &knownNames : nullptr);
    // Renaming the new image into place would replace a file the run reads:
    // most likely the user's own edit.
    if (openedFiles.holds(newIdentity)) {
        std::fprintf(stderr, "%s: %s: not written: the file is one of the files being read\n", run.console.program,
                     argumentAsShown(line.output));
        return false;
    }
    findStrays(image, run, newIdentity, knownNames, namesEveryFile, strays);
    // Not one of the files d88extract would write, and nothing else either:
    // most likely files taken out with other options, which this run would
    // silently leave as they are.
    if (plan.holdsNoTakenFile() && strays.count() == 0) {
        std::fprintf(stderr, "%s: %s: holds none of the image's files (taken out with other -C, --disk-folders or --utf8?)\n",
                     run.console.program, argumentAsShown(line.directory != nullptr ? line.directory : "."));
        return false;
    }
    const bool adding = run.line.addStrays && strays.count() == strays.keptCount();
    // Only a run that has something to add needs to know where. A stray
    // refused by its name leaves the rest of the plan to be checked, so
    // that every refusal is said at once.
    const bool addsPlanned = !adding || strays.count() == 0 || planAdds(image, run);
    if (run.wrongCall) {
        return false;
    }
    placeChanges(image, plan, directoryCopies, PlacementChoices{line.relocate, line.shrink});
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
        if (!adding) {
            reportStrays(run, strays);
        }
    }
    const bool namesMissed = run.selection.reportNamesNotFound(run.console);
    bool done = !plan.anyRefused() && addsPlanned && (adding || strays.count() == 0) && !run.fileFailed
                && !readFailed && !namesMissed;
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
