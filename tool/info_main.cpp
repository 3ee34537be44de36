#include "tool/info_main.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "d88/d88_image.h"
#include "tool/arguments.h"
#include "tool/broken_pipe.h"
#include "tool/disk_report.h"
#include "tool/later_writes.h"
#include "tool/messages.h"
#include "tool/output_file.h"
#include "tool/output_place.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILURE_STATUS = 1;
constexpr int EXIT_USAGE = 2;

constexpr char USAGE[] = "Usage: d88info IMAGE\n";
constexpr char ABOUT[] =
    "Shows what a D88 image holds and writes nothing: for every disk its\n"
    "header and boot signature, the sector identities (C H R N) of every\n"
    "present track, and the directory as d88extract lists it. TTLPRG and\n"
    "each entry are marked with what d88extract, run on the image in the\n"
    "current folder, does with them (all, some, none, no name, refused,\n"
    "no size), with the reason a file is not written or the later entry\n"
    "that replaces it.\n";

D88Image image;

int finish() { return finishStandardOutput("d88info") ? EXIT_OK : EXIT_FAILURE_STATUS; }

}  // namespace

int infoMain(int argc, char** argv) {
    ignoreBrokenPipe();
    resetStandardOutputCheck();
    setNamesUtf8(false);
    CommandLine line;
    switch (parseCommandLine(argc, argv, INFO_OPTIONS, line)) {
    case ParseResult::Help:
        printHelp(USAGE, ABOUT, INFO_OPTIONS);
        return finish();
    case ParseResult::Version:
        printVersion("d88info");
        return finish();
    case ParseResult::Usage:
        std::fputs(USAGE, stderr);
        std::fputs("Try 'd88info --help' for more information.\n", stderr);
        return EXIT_USAGE;
    case ParseResult::Run:
        break;
    }
    if (line.utf8 && !canConvertNames()) {
        std::fputs("d88info: --utf8: this system cannot convert Shift_JIS (code page 932)\n", stderr);
        return EXIT_FAILURE_STATUS;
    }
    setNamesUtf8(line.utf8);
    const char* argument = line.image;
    errno = 0;
    std::FILE* stream = openImageFile(argument);
    // The page tells what d88extract would do here, refusing the image's
    // own name included.
    setOutputSettings(OutputSettings{});
    setImageIdentity(identifyStream(stream));
    if (!image.openStream(stream)) {
        std::fprintf(stderr, "d88info: %s: cannot open the image: %s\n", argumentAsShown(argument),
                     errno != 0 ? std::strerror(errno) : "not a readable file");
        return EXIT_FAILURE_STATUS;
    }
    // A file's mark names the write that replaces it, which may lie on a
    // later disk: learn them all first.
    rememberWrites(image);
    const std::int32_t diskCount = image.getDiskCount();
    std::printf("%s: %ld disk%s\n", argumentAsShown(argument), static_cast<long>(diskCount),
                diskCount == 1 ? "" : "s");
    for (std::int32_t i = 0; i < diskCount; ++i) {
        std::printf("\n");
        printDiskReport(image, i);
    }
    // A failed read shows on the page as a missing sector; say which it was.
    const bool readFailed = image.hasReadError();
    if (readFailed) {
        const int error = image.getReadError();
        std::printf("\nReading the image failed: %s\n",
                    systemReason(error));
    }
    image.close();
    const int status = finish();
    return readFailed ? EXIT_FAILURE_STATUS : status;
}
