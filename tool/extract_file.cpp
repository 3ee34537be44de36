#include "tool/extract_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/buffers.h"
#include "tool/messages.h"
#include "tool/output_name.h"
#include "tool/output_place.h"
#include "tool/tool_image.h"

namespace {

bool outputFailed = false;
bool listOnly = false;

bool failOutput(const char* name, const char* what, int error) {
    reportFileProblem(name, "%s: %s", what, error != 0 ? std::strerror(error) : "unknown error");
    outputFailed = true;
    return false;
}

}  // namespace

bool anyOutputFailed() { return outputFailed; }

void resetOutputFailures() { outputFailed = false; }

void setListOnly(bool list) { listOnly = list; }

bool extractFile(const char* name, std::int32_t track, std::int32_t c, std::int32_t h,
                 std::int32_t r, std::int32_t n, std::int32_t skip, std::int32_t size) {
    // transferBuffer holds the longest run a directory entry can describe;
    // anything longer is not a request the tool makes.
    if (listOnly || skip < 0 || size < 0 || size > TRANSFER_BUFFER_SIZE - skip) {
        return false;
    }
    const std::int32_t wanted = skip + size;
    // Bytes that do not arrive must not be the previous file's bytes.
    std::memset(transferBuffer, 0, static_cast<std::size_t>(wanted));
    const std::int32_t got = image.readSectors(track, c, h, r, n, transferBuffer, wanted);
    if (got == 0 || name[0] == '\0') {
        return false;
    }
    const char* reason = refusedNameReason(name, HOST_NAME_RULES);
    // Creating the file would truncate the image that the walk still reads.
    if (reason == nullptr && outputIsImage(name)) {
        reason = "the file is the image being read";
    }
    if (reason != nullptr) {
        reportFileProblem(name, "not written: %s", reason);
        outputFailed = true;
        return false;
    }

    errno = 0;
    std::FILE* out = createOutput(name);
    if (out == nullptr && errno == EEXIST) {
        // Only a run that keeps old files creates exclusively.
        reportFileProblem(name, "not written: the file exists");
        outputFailed = true;
        return false;
    }
    if (out == nullptr) {
        return failOutput(name, "cannot create the file", errno);
    }
    // The whole file goes out in one fwrite: a stdio buffer would only split
    // it into more system calls.
    std::setvbuf(out, nullptr, _IONBF, 0);
    errno = 0;
    const bool written = std::fwrite(transferBuffer + skip, 1, static_cast<std::size_t>(size), out)
                         == static_cast<std::size_t>(size);
    const int writeError = errno;
    errno = 0;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        return failOutput(name, "cannot write the file", written ? errno : writeError);
    }
    if (got < wanted) {
        // A short last sector's bytes stand in the file too: count them.
        const std::int32_t stored = image.getLastRunLength();
        const std::int32_t arrived = stored > skip ? stored - skip : 0;
        reportFileProblem(name, "only %ld of %ld bytes could be read; the rest is zero",
                          static_cast<long>(arrived), static_cast<long>(size));
    }
    return true;
}
