#include "d88/read_buffer.h"

#include <cstring>

#include "d88/file_io.h"

void ReadBuffer::forget() {
    start = 0;
    length = 0;
    position = -1;
}

bool ReadBuffer::holds(std::int64_t offset, std::int32_t count) const {
    return offset >= start && offset - start <= length - count;
}

std::int32_t ReadBuffer::fetch(std::FILE* file, std::int64_t offset, std::uint8_t* dest,
                               std::int32_t count) {
    if (position != offset && !seekFromStart(file, offset)) {
        position = -1;
        return 0;
    }
    const std::int32_t got = readBytes(file, dest, count);
    // A short read leaves the end-of-file or error flag set: the next fetch
    // must seek, which clears it.
    position = got == count ? offset + got : -1;
    return got;
}

const std::uint8_t* ReadBuffer::view(std::FILE* file, std::int64_t offset, std::int32_t count) {
    if (count < 0 || count > READ_BUFFER_SIZE) {
        return nullptr;
    }
    if (!holds(offset, count)) {
        start = offset;
        length = fetch(file, offset, bytes, READ_BUFFER_SIZE);
        if (length < count) {
            return nullptr;
        }
    }
    return bytes + (offset - start);
}

std::int32_t ReadBuffer::read(std::FILE* file, std::int64_t offset, std::uint8_t* dest,
                              std::int32_t count) {
    if (count <= 0) {
        return 0;
    }
    if (holds(offset, count)) {
        std::memcpy(dest, bytes + (offset - start), static_cast<std::size_t>(count));
        return count;
    }
    return fetch(file, offset, dest, count);
}
