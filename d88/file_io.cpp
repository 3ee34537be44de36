#include "d88/file_io.h"

#include <climits>

// The one place where seeking differs by platform: Windows' `long` holds 32
// bits, so its runtime's 64-bit seek is used there.
#ifdef _WIN32

bool seekFromStart(std::FILE* file, std::int64_t offset) {
    if (offset < 0) {
        return false;
    }
    // A stale error flag would make every later read look failed.
    std::clearerr(file);
    return _fseeki64(file, offset, SEEK_SET) == 0;
}

std::int64_t fileLength(std::FILE* file) {
    std::clearerr(file);
    return _fseeki64(file, 0, SEEK_END) == 0 ? _ftelli64(file) : -1;
}

#else

namespace {

// fseek takes a long, which may hold only 32 bits: larger moves go in steps.
bool seekInSteps(std::FILE* file, std::int64_t count) {
    while (count > 0) {
        const long step = count > LONG_MAX ? LONG_MAX : static_cast<long>(count);
        if (std::fseek(file, step, SEEK_CUR) != 0) {
            return false;
        }
        count -= step;
    }
    return true;
}

}  // namespace

bool seekFromStart(std::FILE* file, std::int64_t offset) {
    if (offset < 0) {
        return false;
    }
    // A stale error flag would make every later read look failed.
    std::clearerr(file);
    // One call for every offset a long holds; steps only beyond.
    const long first = offset > LONG_MAX ? LONG_MAX : static_cast<long>(offset);
    return std::fseek(file, first, SEEK_SET) == 0 && seekInSteps(file, offset - first);
}

std::int64_t fileLength(std::FILE* file) {
    std::clearerr(file);
    // Where `long` holds 32 bits a longer file reports -1, as unknown.
    return std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
}

#endif

std::int32_t readBytes(std::FILE* file, std::uint8_t* dest, std::int32_t count) {
    if (count <= 0) {
        return 0;
    }
    return static_cast<std::int32_t>(std::fread(dest, 1, static_cast<std::size_t>(count), file));
}
