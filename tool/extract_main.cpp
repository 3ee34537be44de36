#include "tool/extract_main.h"

#include <cerrno>

#include "d88/d88_image.h"
#include "tool/broken_pipe.h"
#include "tool/extract_disk.h"
#include "tool/extract_file.h"
#include "tool/messages.h"
#include "tool/output_file.h"
#include "tool/output_place.h"

namespace {

// About 4 MB: static storage, not the stack.
D88Image image;

}  // namespace

int extractMain(int argc, char** argv) {
    ignoreBrokenPipe();
    resetOutputFailures();
    resetStandardOutputCheck();
    if (argc != 2) {
        printUsage(argc > 0 && argv[0] != nullptr ? argv[0] : "d88extract");
        return 1;
    }
    const char* path = argv[1];
    std::FILE* stream = openImageFile(path);
    setImageIdentity(identifyStream(stream));
    if (!image.openStream(stream)) {
        printOpenFailure();
        return 1;
    }
    const std::int32_t diskCount = image.getDiskCount();
    for (std::int32_t i = 0; i < diskCount; ++i) {
        // A disk that cannot be selected reads as empty: nothing is found.
        (void)image.selectDisk(i);
        extractDisk(image);
    }
    // A failed read looked like a missing sector to the walk: only here can
    // it be told from damage in the image.
    const bool readFailed = image.hasReadError();
    if (readFailed) {
        reportImageReadError("d88extract", path, image.getReadError());
    }
    image.close();
    const bool outputKept = finishStandardOutput("d88extract");
    return outputKept && !anyOutputFailed() && !readFailed ? 0 : 1;
}
