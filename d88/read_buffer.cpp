#include "d88/read_buffer.h"

#include <cerrno>
#include <cstring>

#include "d88/file_io.h"

void ReadBuffer::bind(std::FILE* boundFile) {
    file = boundFile;
    forget();
    forgetFailure();
}

void ReadBuffer::forget() {
    start = 0;
    length = 0;
    position = -1;
}

bool ReadBuffer::holds(std::int64_t offset, std::int32_t count) const {
    return offset >= start && offset - start <= length - count;
}

bool ReadBuffer::goesOn(std::int64_t offset) const {
    return offset >= start && offset - start <= static_cast<std::int64_t>(length) + READ_PROBE_SIZE;
}

void ReadBuffer::noteFailure(int error) {
    if (!failed) {
        failed = true;
        failure = error;
    }
}

std::int32_t ReadBuffer::fetch(std::int64_t offset, std::uint8_t* dest, std::int32_t count) {
    if (file == nullptr) {
        return 0;
    }
    errno = 0;
    if (position != offset && !seekFromStart(file, offset)) {
        // The file could seek when it was opened; offsets are never negative
        // here and seeking past the end is allowed, so this is a failure.
        noteFailure(errno);
        position = -1;
        return 0;
    }
    errno = 0;
    const std::int32_t got = readBytes(file, dest, count);
    // stdio stops short only at the end of the file or on an error; a short
    // read that is not the end is an error whether or not the flag says so.
    if (got < count && count > 0 && (std::ferror(file) != 0 || std::feof(file) == 0)) {
        noteFailure(errno);
    }
    // A short read leaves the end-of-file or error flag set: the next fetch
    // must seek, which clears it.
    position = got == count ? offset + got : -1;
    return got;
}

void ReadBuffer::load(std::int64_t from, std::int32_t size) {
    start = from;
    length = fetch(from, bytes, size);
}

const std::uint8_t* ReadBuffer::view(std::int64_t offset, std::int32_t count, std::int64_t keepFrom) {
    if (count < 0 || count > READ_PROBE_SIZE) {
        return nullptr;
    }
    if (!holds(offset, count)) {
        if (!goesOn(offset)) {
            // Reading jumped: it may well jump again.
            load(offset, count > READ_JUMP_SIZE ? count : READ_JUMP_SIZE);
        } else if (keepFrom <= offset && offset - keepFrom <= READ_BUFFER_SIZE / 2) {
            load(keepFrom, READ_BUFFER_SIZE);
        } else {
            load(offset, READ_BUFFER_SIZE);
        }
        if (!holds(offset, count)) {
            return nullptr;
        }
    }
    return bytes + (offset - start);
}

std::int32_t ReadBuffer::read(std::int64_t offset, std::uint8_t* dest, std::int32_t count) {
    if (count <= 0) {
        return 0;
    }
    if (!holds(offset, count) && goesOn(offset) && count <= READ_BUFFER_SIZE / 2) {
        load(offset, READ_BUFFER_SIZE);
        // At the end of the file the block holds what there is.
        if (length < count) {
            std::memcpy(dest, bytes, static_cast<std::size_t>(length));
            return length;
        }
    }
    if (holds(offset, count)) {
        std::memcpy(dest, bytes + (offset - start), static_cast<std::size_t>(count));
        return count;
    }
    return fetch(offset, dest, count);
}

const std::uint8_t* ReadBuffer::block(std::int64_t offset, std::int32_t& length) {
    if (start != offset || this->length < READ_BUFFER_SIZE) {
        load(offset, READ_BUFFER_SIZE);
    }
    length = this->length;
    return bytes;
}
