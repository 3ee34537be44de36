#include "tool/extract_main.h"

#include "tool/boot_check.h"
#include "tool/extract_directory.h"
#include "tool/extract_file.h"
#include "tool/messages.h"
#include "tool/tool_image.h"

D88Image image;

int extractMain(int argc, char** argv) {
    resetOutputFailures();
    if (argc != 2) {
        printUsage(argc > 0 && argv[0] != nullptr ? argv[0] : "d88extract");
        return 1;
    }
    if (!image.open(argv[1])) {
        printOpenFailure();
        return 1;
    }
    const std::int32_t diskCount = image.getDiskCount();
    for (std::int32_t i = 0; i < diskCount; ++i) {
        // A disk that cannot be selected reads as empty: nothing is found.
        (void)image.selectDisk(i);
        extractBootTrack();
        extractDirectory();
    }
    image.close();
    const bool outputKept = finishStandardOutput("d88extract");
    return outputKept && !anyOutputFailed() ? 0 : 1;
}
