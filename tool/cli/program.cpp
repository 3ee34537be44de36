#include "tool/cli/program.h"

#include <cerrno>
#include <cstdio>

#include "tool/cli/messages.h"
#include "tool/host/broken_pipe.h"
#include "tool/host/file_system.h"

namespace {

// Static storage, not the stack (see IMAGE_OBJECT_BUDGET). One
// program runs at a time, and each run closes it.
D88Image image;

// Where the files go, as far as the program takes the options that say so.
OutputSettings outputSettings(const CommandLine& line) {
    OutputSettings settings;
    settings.folder = line.directory != nullptr ? line.directory : "";
    settings.diskFolders = line.diskFolders;
    settings.keepOldFiles = line.keepOldFiles;
    settings.utf8Names = line.utf8;
    return settings;
}

void reportWrongCall(const Program& program, int argc, char** argv) {
    switch (program.wrongCall) {
    case WrongCallForm::InvokedName:
        printUsage(argc > 0 && argv[0] != nullptr ? argv[0] : program.name);
        if (argc > 1) {
            printHelpHint(program.name);
        }
        return;
    case WrongCallForm::UsageLine:
        printUsageAndHelpHint(program.usage, program.name);
        return;
    }
}

// `status`, unless what went to standard output was lost.
int finish(const Program& program, Run& run, int status) {
    return finishStandardOutput(run.console) ? status : program.failedStatus;
}

}  // namespace

int runProgram(const Program& program, int argc, char** argv) {
    ignoreBrokenPipe();
    Run run;
    run.console.program = program.name;
    noteTerminals(run.console);
    run.console.quietClosedPipe = program.quietClosedPipe;
    switch (parseCommandLine(argc, argv, program.options, run.line)) {
    case ParseResult::Help:
        printHelp(program.usage, program.about, program.options);
        return finish(program, run, STATUS_OK);
    case ParseResult::Version:
        printVersion(program.name);
        return finish(program, run, STATUS_OK);
    case ParseResult::Usage:
        reportWrongCall(program, argc, argv);
        return program.wrongCallStatus;
    case ParseResult::Run:
        break;
    }
    if (!chooseNamesUtf8(run.console, run.line.utf8)) {
        return program.failedStatus;
    }
    errno = 0;
    bool special = false;
    std::FILE* stream = program.regularImageOnly ? openRegularImageFile(run.line.image, special)
                                                 : openImageFile(run.line.image);
    const FileIdentity identity = identifyStream(stream);
    // Taken before the reader reads a byte, to be checked by a program that
    // copies the image.
    run.image = OpenedImage{run.line.image, stream, versionOfStream(stream)};
    if (!image.openStream(stream)) {
        if (program.openFailure == OpenFailureForm::StoredMessage) {
            printOpenFailure(run.console);
        } else {
            reportImageOpenFailure(run.console, run.line.image, special ? ImageOpenProblem::NotRegular
                                                                        : ImageOpenProblem::System, errno);
        }
        return program.failedStatus;
    }
    run.output = OutputPlace(outputSettings(run.line), identity);
    run.listOnly = run.line.listOnly;
    run.selection = Selection(run.line);
    // Before anything is written: a run that cannot do what was asked does
    // nothing.
    const bool done = (program.check == nullptr || program.check(run))
                      && !run.selection.reportMissingDisks(run.console, image.getDiskCount())
                      && program.work(image, run);
    image.close();
    return finish(program, run,
                  done ? STATUS_OK : (run.wrongCall ? program.wrongCallStatus : program.failedStatus));
}
