#include "tool/d88info/info_main.h"

#include <cerrno>
#include <cstdio>

#include "tool/cli/messages.h"
#include "tool/cli/program.h"
#include "tool/d88info/disk_report.h"
#include "tool/d88info/json_report.h"
#include "tool/disk/later_writes.h"
#include "tool/host/arguments.h"

namespace {

constexpr char USAGE[] = "Usage: d88info [--utf8] [--json] [--map] [--disk=N]... IMAGE\n";
constexpr char ABOUT[] =
    "Shows what a D88 image holds and writes nothing: for every disk its\n"
    "header and boot signature, the sector identities (C H R N) of every\n"
    "present track, and the directory as d88extract lists it, each entry\n"
    "with its index and its bytes 6 to 11 in hex. TTLPRG and each entry\n"
    "are marked with what d88extract, run on the image in the current\n"
    "folder, does with them (all, some, none, no name, refused, no size),\n"
    "with the reason a file is not written or the later entry that\n"
    "replaces it. --disk=N shows disk N alone (the first line still\n"
    "counts every disk). --map adds to each disk's page a map of its data\n"
    "sectors: which entry's run visits each, which are free. --json prints\n"
    "the page as one JSON document (its free runs stand for the map).\n";

// Which write replaces which, learnt before the page (static storage).
LaterWrites laterWrites;

bool showPage(D88Image& image, Run& run) {
    const char* argument = run.line.image;
    const std::int32_t diskCount = image.getDiskCount();
    // A file's mark names the write that replaces it, which may lie on a
    // later disk, shown or not: learn them all first.
    rememberEveryWrite(image, run.output, laterWrites);
    if (run.line.json) {
        printJsonDocument(image, argument, run, laterWrites);
        return !image.hasReadError();
    }
    std::printf("%s: %ld disk%s", argumentAsShown(argument), static_cast<long>(diskCount),
                diskCount == 1 ? "" : "s");
    // d88extract stops there too, without a word: this page is where it shows.
    if (image.hasMoreDisks()) {
        std::printf(" (the file holds more; only the first %d are read)", MAX_DISKS);
    }
    std::printf("\n");
    for (std::int32_t i = 0; i < diskCount; ++i) {
        // Nobody reads the rest.
        if (run.console.standardOutputError == EPIPE) {
            break;
        }
        if (!run.selection.takesDisk(i)) {
            continue;
        }
        std::printf("\n");
        printDiskReport(image, i, run, laterWrites);
    }
    // A failed read shows on the page as a missing sector; say which it was.
    const bool readFailed = image.hasReadError();
    if (readFailed) {
        const int error = image.getReadError();
        std::printf("\nReading the image failed: %s\n",
                    systemReason(error));
    }
    return !readFailed;
}

// The page tells what d88extract, with the same --utf8, would do here,
// refusing the image's own name included. The page is read, not kept: a
// reader that stops early (`| head`) wants no word about it.
constexpr Program D88INFO = {"d88info", USAGE, ABOUT, INFO_OPTIONS, STATUS_FAILED,
                             STATUS_WRONG_CALL, WrongCallForm::UsageLine, true,
                             OpenFailureForm::NamedReason, false, nullptr, showPage};

}  // namespace

int infoMain(int argc, char** argv) { return runProgram(D88INFO, argc, argv); }
