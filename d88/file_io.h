// Positioning and reading a binary input stream with nothing but the C
// library, for offsets beyond what a 32-bit `long` can hold (4 GiB - 2 is the
// furthest a disk offset plus a track offset can reach).
#ifndef D88_FILE_IO_H
#define D88_FILE_IO_H

#include <cstdint>
#include <cstdio>

// Moves to `offset` bytes from the start of the file. False when the stream
// refuses the move (a pipe) or the offset is negative.
bool seekFromStart(std::FILE* file, std::int64_t offset);

// The length of the file in bytes, found by seeking to its end (the file
// position is left there); -1 when the stream cannot tell.
std::int64_t fileLength(std::FILE* file);

// Reads up to `count` bytes; returns how many arrived.
std::int32_t readBytes(std::FILE* file, std::uint8_t* dest, std::int32_t count);

#endif
