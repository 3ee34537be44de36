// A second, deliberately naive reader of D88 bytes held in memory: every
// lookup walks its track from the first record, exactly as the format reads.
// Differential tests hold the real reader's results against it.
#ifndef TESTS_REFERENCE_READER_H
#define TESTS_REFERENCE_READER_H

#include <cstdint>

#include "tests/image_builder.h"

class ReferenceReader {
public:
    explicit ReferenceReader(Bytes image);

    int diskCount() const { return count; }
    bool selectDisk(int index);
    void setSectorRange(int first, int last) {
        firstSector = first;
        lastSector = last;
    }
    std::int32_t readSector(int track, int c, int h, int r, int n, std::uint8_t* dest, std::int32_t maxLen) const;
    std::int32_t readSectors(int track, int c, int h, int r, int n, std::uint8_t* dest, std::int32_t length) const;
    std::int32_t readTrackIds(int track, std::uint8_t* out, std::int32_t outLen) const;

private:
    // File offset of the track's first record, or -1 when it is absent.
    std::int64_t trackStart(int track) const;
    // The bytes [at, at + length) that exist in the file.
    std::int64_t available(std::int64_t at, std::int64_t length) const;

    Bytes file;
    int count = 0;
    std::int64_t diskOffsets[64] = {};
    std::int64_t diskOffset = -1;
    std::int32_t diskSize = 0;
    std::int32_t trackOffsets[164] = {};
    int firstSector = 1;
    int lastSector = 16;
};

#endif
