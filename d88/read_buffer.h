// ReadBuffer: reads the open image file through one fixed block, so that
// walking the 16-byte record headers of a track costs one system call per
// block, not one per header.
#ifndef D88_READ_BUFFER_H
#define D88_READ_BUFFER_H

#include <cstdint>
#include <cstdio>

#include "d88/tuning.h"

class ReadBuffer {
public:
    // Reads `file` from now on (none: every read delivers nothing), with no
    // bytes buffered and no failure recorded. The caller keeps the file.
    void bind(std::FILE* file);

    // Drops the buffered bytes and what is known of the file position; call
    // whenever the file may have been moved by someone else.
    void forget();

    // Whether a read or seek of the file failed since the last
    // forgetFailure(): the end of the file is no failure.
    bool hasFailed() const { return failed; }
    // errno of the first failure (0 if the system gave none).
    int getFailure() const { return failure; }
    void forgetFailure() {
        failed = false;
        failure = 0;
    }

    // Points at `count` (at most READ_PROBE_SIZE) bytes of the file starting
    // at `offset`; null when the file does not deliver them all. When they
    // are not buffered, a whole block is loaded if `offset` goes on from the
    // block, otherwise READ_JUMP_SIZE bytes (or `count`, if more). A whole block starts at
    // `keepFrom` (at or before `offset`) when the bytes from there fit in
    // half a block, so that a short track stays in one piece.
    const std::uint8_t* view(std::int64_t offset, std::int32_t count, std::int64_t keepFrom);

    // Copies up to `count` bytes starting at `offset` to dest: from the block
    // when they are in it or go on from it, otherwise straight from the file.
    // Returns how many arrived.
    std::int32_t read(std::int64_t offset, std::uint8_t* dest, std::int32_t count);

    // Loads a whole block from `offset`: its bytes, `length` of them (fewer
    // at the end of the file).
    const std::uint8_t* block(std::int64_t offset, std::int32_t& length);

    // Whether a view of `count` bytes at `offset` would jump: neither held
    // in the block nor going on from it.
    bool jumps(std::int64_t offset, std::int32_t count) const { return !holds(offset, count) && !goesOn(offset); }

private:
    // Reads from the file itself, seeking only when it stands elsewhere.
    std::int32_t fetch(std::int64_t offset, std::uint8_t* dest, std::int32_t count);
    void load(std::int64_t from, std::int32_t size);
    void noteFailure(int error);
    bool holds(std::int64_t offset, std::int32_t count) const;
    // Whether `offset` lies in the block or at most a probe past its end.
    bool goesOn(std::int64_t offset) const;

    std::FILE* file = nullptr;
    std::uint8_t bytes[READ_BUFFER_SIZE];
    std::int64_t start = 0;
    std::int32_t length = 0;
    // Where the next fread would start; -1 when not known.
    std::int64_t position = -1;
    bool failed = false;
    int failure = 0;
};

#endif
