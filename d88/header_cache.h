// HeaderCache: the fields of record headers already read from the open file,
// by file offset, so that walks meeting at a header do not read it again.
//
// Records whose data sizes leap ahead send the walks of different tracks
// and disks through the same far-off headers; without this every such
// header costs a seek and a read for every walk that reaches it. The table
// is fixed in size and eight-way set-associative: a newer header displaces
// the oldest of its set, so lookups and inserts cost the same on any file.
#ifndef D88_HEADER_CACHE_H
#define D88_HEADER_CACHE_H

#include <cstdint>

#include "d88/track_walk.h"
#include "d88/tuning.h"

class HeaderCache {
public:
    // Drops every entry; call when another file is opened.
    void forget();
    // True and `fields` filled when the header at `offset` is held.
    bool recall(std::int64_t offset, HeaderFields& fields);
    // False when the header was held already, or is not kept (fewer than
    // HEADER_CACHE_QUIET_MISSES misses since resetMisses(), or beyond any
    // offset the table keeps).
    bool remember(std::int64_t offset, const HeaderFields& fields);
    // Lookups that failed since the last resetMisses().
    std::int32_t misses() const { return missCount; }
    void resetMisses() { missCount = 0; }

private:
    void clear();

    // Offsets stay below 2^34 (a disk and track offset near 4 GiB plus
    // 65,535 records of 65,551 bytes), so the offset bits above the set
    // number never make the all-ones tag.
    static constexpr std::uint32_t EMPTY_TAG = 0xFFFFFFFF;

    // A set's tags and fields side by side: a lookup touches one or two
    // cache lines, not one in each of two tables.
    struct Set {
        std::uint32_t tags[HEADER_CACHE_WAYS];
        HeaderFields fields[HEADER_CACHE_WAYS];
    };
    Set sets[HEADER_CACHE_ENTRIES / HEADER_CACHE_WAYS];
    std::int32_t missCount = 0;
    bool used = false;
};

#endif
