#include "tool/d88extract/extract_main.h"

#include <cerrno>
#include <cstring>

#include "d88/d88_image.h"
#include "tool/cli/messages.h"
#include "tool/cli/options.h"
#include "tool/cli/run.h"
#include "tool/d88extract/extract_disk.h"
#include "tool/host/arguments.h"
#include "tool/host/broken_pipe.h"
#include "tool/host/file_system.h"

namespace {

// Static storage, not the stack (see IMAGE_OBJECT_BUDGET).
D88Image image;

constexpr char PROGRAM[] = "d88extract";

constexpr char HELP_USAGE[] = "Usage: d88extract [OPTION]... IMAGE [NAME]...\n";
constexpr char HELP_ABOUT[] =
    "Takes apart the D88 image IMAGE: for every disk, writes the rest of a boot\n"
    "disk's boot track to TTLPRG, prints one line per directory entry and\n"
    "writes each entry's bytes to a file of its name. Called with IMAGE alone,\n"
    "IMAGE is the image whatever it looks like.\n"
    "With NAMEs, only TTLPRG and the entries whose names match one of them are\n"
    "taken: '*' stands for any characters, '?' for one (a kanji is one).\n";

OutputSettings outputSettings(const CommandLine& line) {
    OutputSettings settings;
    settings.folder = line.directory != nullptr ? line.directory : "";
    settings.diskFolders = line.diskFolders;
    settings.keepOldFiles = line.keepOldFiles;
    settings.utf8Names = line.utf8;
    return settings;
}

}  // namespace

int extractMain(int argc, char** argv) {
    ignoreBrokenPipe();
    Run run;
    run.console.program = PROGRAM;
    noteTerminals(run.console);
    CommandLine line;
    switch (parseCommandLine(argc, argv, EXTRACT_OPTIONS, line)) {
    case ParseResult::Help:
        printHelp(HELP_USAGE, HELP_ABOUT, EXTRACT_OPTIONS);
        return finishStandardOutput(run.console) ? 0 : 1;
    case ParseResult::Version:
        printVersion(PROGRAM);
        return finishStandardOutput(run.console) ? 0 : 1;
    case ParseResult::Usage:
        printUsage(argc > 0 && argv[0] != nullptr ? argv[0] : PROGRAM);
        // The call with no argument at all keeps its one line.
        if (argc > 1) {
            printHelpHint(PROGRAM);
        }
        return 1;
    case ParseResult::Run:
        break;
    }
    if (!chooseNamesUtf8(run.console, line.utf8)) {
        return 1;
    }
    std::FILE* stream = openImageFile(line.image);
    const FileIdentity imageIdentity = identifyStream(stream);
    if (!image.openStream(stream)) {
        printOpenFailure(run.console);
        return 1;
    }
    run.output = OutputPlace(outputSettings(line), imageIdentity);
    run.listOnly = line.listOnly;
    run.selection = Selection(line);
    const std::int32_t diskCount = image.getDiskCount();
    // Before anything is written: a run that cannot do what was asked does
    // nothing.
    if (run.selection.reportMissingDisks(run.console, diskCount)) {
        image.close();
        return 1;
    }
    errno = 0;
    // A listing makes no folder, but fails where the run would.
    if (!run.output.prepareFolder(line.listOnly)) {
        reportFolderProblem(run.console, line.directory, errno);
        image.close();
        return 1;
    }
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
        reportImageReadError(run.console, line.image, image.getReadError());
    }
    image.close();
    const bool namesMissed = run.selection.reportNamesNotFound(run.console);
    const bool outputKept = finishStandardOutput(run.console);
    return outputKept && !run.fileFailed && !readFailed && !namesMissed ? 0 : 1;
}
