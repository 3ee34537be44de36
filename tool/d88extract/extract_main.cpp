#include "tool/d88extract/extract_main.h"

#include <cerrno>

#include "tool/cli/messages.h"
#include "tool/cli/program.h"
#include "tool/d88extract/extract_disk.h"

namespace {

constexpr char HELP_USAGE[] = "Usage: d88extract [OPTION]... IMAGE [NAME]...\n";
constexpr char HELP_ABOUT[] =
    "Takes apart the D88 image IMAGE: for every disk, writes the rest of a boot\n"
    "disk's boot track to TTLPRG, prints one line per directory entry and\n"
    "writes each entry's bytes to a file of its name. Called with IMAGE alone,\n"
    "IMAGE is the image whatever it looks like.\n"
    "With NAMEs, only the entries whose names match one of them are taken, and\n"
    "TTLPRG only when one of them matches TTLPRG: '*' stands for any\n"
    "characters, '?' for one (a kanji is one).\n";

bool extractDisks(D88Image& image, Run& run) {
    errno = 0;
    // A listing makes no folder, but fails where the run would.
    if (!run.output.prepareFolder(run.line.listOnly)) {
        reportFolderProblem(run.console, run.line.directory, errno);
        return false;
    }
    const std::int32_t diskCount = image.getDiskCount();
    for (std::int32_t i = 0; i < diskCount; ++i) {
        if (!run.selection.takesDisk(i)) {
            continue;
        }
        // A disk that cannot be selected reads as empty: nothing is found.
        (void)image.selectDisk(i);
        run.output.enterDisk(i);
        extractDisk(image, run);
    }
    // A failed read looked like a missing sector to the walk: only here can
    // it be told from damage in the image.
    const bool readFailed = image.hasReadError();
    if (readFailed) {
        reportImageReadError(run.console, run.line.image, image.getReadError());
    }
    const bool namesMissed = run.selection.reportNamesNotFound(run.console);
    return !run.fileFailed && !readFailed && !namesMissed;
}

// Its wrong calls and open failure keep the words of its first version, and
// so does its status for them.
constexpr Program D88EXTRACT = {"d88extract", HELP_USAGE, HELP_ABOUT, EXTRACT_OPTIONS,
                                STATUS_FAILED, STATUS_FAILED, WrongCallForm::InvokedName,
                                false, OpenFailureForm::StoredMessage, false, nullptr, extractDisks};

}  // namespace

int extractMain(int argc, char** argv) { return runProgram(D88EXTRACT, argc, argv); }
