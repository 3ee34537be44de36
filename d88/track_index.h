// TrackIndex: the records of one track, found by a single walk (track_walk.h)
// and then looked up by identity in logarithmic time.
#ifndef D88_TRACK_INDEX_H
#define D88_TRACK_INDEX_H

#include <cstdint>

#include "d88/header_cache.h"
#include "d88/read_buffer.h"
#include "d88/track_walk.h"

class TrackIndex {
public:
    void forget() { trackStart = -1; }
    // Whether the index describes the track whose first record is at `start`.
    bool holds(std::int64_t start) const { return trackStart == start; }

    // Headers the walk leaps to are looked up in, and added to, `cache`
    // when one is given; it must describe the buffer's file.
    void build(ReadBuffer& buffer, std::int64_t start, HeaderCache* cache = nullptr);

    std::int32_t recordCount() const { return count; }
    SectorIdentity identity(std::int32_t record) const { return identities[record]; }
    std::int64_t dataOffset(std::int32_t record) const {
        return trackStart + std::int64_t{SECTOR_HEADER_SIZE} * (record + 1) + dataBefore[record];
    }
    std::int32_t dataSize(std::int32_t record) const {
        return static_cast<std::int32_t>(dataBefore[record + 1] - dataBefore[record]);
    }

    // The first record carrying `id` that a lookup may return, or -1. A
    // record with a sector count of 0 ends every lookup before it matches,
    // so neither it nor any record after it is found.
    std::int32_t find(SectorIdentity id) const;

private:
    // Orders the findable records by identity, keeping file order among
    // equal ones, so the first of duplicates comes first.
    void sortFindable();

    std::int64_t trackStart = -1;
    std::int32_t count = 0;
    std::int32_t findable = 0;
    SectorIdentity identities[MAX_TRACK_RECORDS];
    // The data bytes of the records before each, and of all of them after
    // the last: at most 65,535 x 65,535, so 32 bits hold what file offsets
    // and sizes would take 80 for.
    std::uint32_t dataBefore[MAX_TRACK_RECORDS + 1];
    // Record numbers (below 65535, so 16 bits hold them) sorted by identity.
    std::uint16_t order[MAX_TRACK_RECORDS];
    std::uint16_t sortScratch[MAX_TRACK_RECORDS];
};

#endif
