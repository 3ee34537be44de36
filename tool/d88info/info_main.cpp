#include "tool/d88info/info_main.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "d88/d88_image.h"
#include "tool/cli/messages.h"
#include "tool/cli/run.h"
#include "tool/d88info/disk_report.h"
#include "tool/d88info/json_report.h"
#include "tool/disk/later_writes.h"
#include "tool/host/arguments.h"
#include "tool/host/broken_pipe.h"
#include "tool/host/file_system.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILURE_STATUS = 1;
constexpr int EXIT_USAGE = 2;

constexpr char USAGE[] = "Usage: d88info [--utf8] [--json] [--disk=N]... IMAGE\n";
constexpr char ABOUT[] =
    "Shows what a D88 image holds and writes nothing: for every disk its\n"
    "header and boot signature, the sector identities (C H R N) of every\n"
    "present track, and the directory as d88extract lists it. TTLPRG and\n"
    "each entry are marked with what d88extract, run on the image in the\n"
    "current folder, does with them (all, some, none, no name, refused,\n"
    "no size), with the reason a file is not written or the later entry\n"
    "that replaces it. --disk=N shows disk N alone (the first line still\n"
    "counts every disk). --json prints the same as one JSON document.\n";

D88Image image;
// Which write replaces which, learnt before the page (static storage).
LaterWrites laterWrites;

int finish(Console& console) { return finishStandardOutput(console) ? EXIT_OK : EXIT_FAILURE_STATUS; }

}  // namespace

int infoMain(int argc, char** argv) {
    ignoreBrokenPipe();
    Run run;
    run.console.program = "d88info";
    noteTerminals(run.console);
    // The page is read, not kept: a reader that stops early (`| head`)
    // wants no word about it.
    run.console.quietClosedPipe = true;
    CommandLine line;
    switch (parseCommandLine(argc, argv, INFO_OPTIONS, line)) {
    case ParseResult::Help:
        printHelp(USAGE, ABOUT, INFO_OPTIONS);
        return finish(run.console);
    case ParseResult::Version:
        printVersion("d88info");
        return finish(run.console);
    case ParseResult::Usage:
        std::fputs(USAGE, stderr);
        std::fputs("Try 'd88info --help' for more information.\n", stderr);
        return EXIT_USAGE;
    case ParseResult::Run:
        break;
    }
    if (!chooseNamesUtf8(run.console, line.utf8)) {
        return EXIT_FAILURE_STATUS;
    }
    const char* argument = line.image;
    errno = 0;
    std::FILE* stream = openImageFile(argument);
    // The page tells what d88extract, with the same --utf8, would do here,
    // refusing the image's own name included.
    OutputSettings settings;
    settings.utf8Names = line.utf8;
    run.output = OutputPlace(settings, identifyStream(stream));
    if (!image.openStream(stream)) {
        std::fprintf(stderr, "d88info: %s: cannot open the image: %s\n", argumentAsShown(argument),
                     errno != 0 ? std::strerror(errno) : "not a readable file");
        return EXIT_FAILURE_STATUS;
    }
    run.selection = Selection(line);
    const std::int32_t diskCount = image.getDiskCount();
    if (run.selection.reportMissingDisks(run.console, diskCount)) {
        image.close();
        return EXIT_FAILURE_STATUS;
    }
    // A file's mark names the write that replaces it, which may lie on a
    // later disk, shown or not: learn them all first.
    rememberEveryWrite(image, run.output, laterWrites);
    if (line.json) {
        printJsonDocument(image, argument, run, laterWrites);
        const bool failed = image.hasReadError();
        image.close();
        const int status = finish(run.console);
        return failed ? EXIT_FAILURE_STATUS : status;
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
    image.close();
    const int status = finish(run.console);
    return readFailed ? EXIT_FAILURE_STATUS : status;
}
