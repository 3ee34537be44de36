// The walk of a track: from its first record, each header's data size says
// where the next header stands, and its sector count whether there is one.
// The walk ends after the record whose position equals its own count minus
// one, after MAX_TRACK_RECORDS records (the most a 16-bit count can
// describe), or at a header that cannot be read whole. The track index and
// the sweep both walk by passRecord, so they stop at the same record.
#ifndef D88_TRACK_WALK_H
#define D88_TRACK_WALK_H

#include <cstdint>

#include "d88/d88_format.h"

inline constexpr std::int32_t MAX_TRACK_RECORDS = 65535;

// C, H, R and N of a record in one number, C in the low byte: the order in
// which they are stored in the header and in readTrackIds output.
using SectorIdentity = std::uint32_t;

// What a walk takes from a record header. No member initializers: the
// header table's entries must stay untouched, and unmapped, until used.
struct HeaderFields {
    SectorIdentity identity;
    std::uint16_t sectorCount;
    std::uint16_t dataSize;
};

// `header` points at SECTOR_HEADER_SIZE bytes.
inline HeaderFields decodeHeader(const std::uint8_t* header) {
    HeaderFields fields;
    fields.identity = static_cast<SectorIdentity>(readLE32(header + SECTOR_C_OFFSET));
    fields.sectorCount = static_cast<std::uint16_t>(readLE16(header + SECTOR_COUNT_OFFSET));
    fields.dataSize = static_cast<std::uint16_t>(readLE16(header + SECTOR_DATA_SIZE_OFFSET));
    return fields;
}

struct TrackWalk {
    // The file offset of the next header; 64-bit, as 65,535 records of
    // 65,551 bytes reach past 4 GiB from the start.
    std::int64_t position = 0;
    // Records passed so far.
    std::int32_t records = 0;
    bool ended = false;
};

// Passes the record whose header, at walk.position, holds `fields`.
inline void passRecord(TrackWalk& walk, const HeaderFields& fields) {
    walk.position += SECTOR_HEADER_SIZE + fields.dataSize;
    ++walk.records;
    // Each record carries its own count; the one just passed decides.
    walk.ended = walk.records == fields.sectorCount || walk.records == MAX_TRACK_RECORDS;
}

#endif
