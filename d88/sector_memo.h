// SectorMemo: where sectors already looked up were found (or that they were
// not), so that runs over tracks already visited, and disks selected again,
// do not walk the tracks again.
//
// Each track index of the disk keeps one row: the lookups of one family of
// identities (one C, H and N) on the track whose first record is at one
// offset, a slot for every R. The tool asks a track for one family only (its
// cylinder, head and size code), so a row answers every R it asks. A row is
// keyed by where the track starts, not by the disk: the walk depends on
// nothing else, so a disk selected again finds its rows as it left them.
#ifndef D88_SECTOR_MEMO_H
#define D88_SECTOR_MEMO_H

#include <cstdint>

#include "d88/d88_format.h"
#include "d88/track_index.h"

// Where a sector's data lies; dataSize -1 when the track has no such sector.
struct SectorPlace {
    std::int64_t dataOffset = 0;
    std::int32_t dataSize = -1;
};

class SectorMemo {
public:
    // Drops every row; call when another file is opened.
    void forget();
    // True and `place` filled when `id` was looked up on `track`, whose first
    // record is at `start`. track must lie in 0..TRACK_COUNT-1.
    bool recall(std::int32_t track, std::int64_t start, SectorIdentity id, SectorPlace& place) const;
    // Whether the row of `track` holds lookups of id's family on the track
    // at `start`: one that misses asks for another R of a track indexed
    // before.
    bool holdsFamily(std::int32_t track, std::int64_t start, SectorIdentity id) const;
    void remember(std::int32_t track, std::int64_t start, SectorIdentity id, const SectorPlace& place);
    // Remembers the lookup of every R of id's family at once; `index` must
    // describe the track at `start`.
    void rememberEveryR(std::int32_t track, std::int64_t start, SectorIdentity id, const TrackIndex& index);

private:
    static constexpr int KNOWN_WORDS = SECTOR_NUMBERS / 64;

    struct Row {
        std::int64_t start = -1;
        SectorIdentity family = 0;
        // Which slots hold a lookup: the slots themselves are never
        // initialized, so that rows never used stay unmapped.
        std::uint64_t known[KNOWN_WORDS] = {};
    };
    struct Slot {
        std::int64_t dataOffset;
        std::int32_t dataSize;
    };

    // Keys the row of `track` to (start, id's family), dropping what it held
    // for another.
    Row& rowFor(std::int32_t track, std::int64_t start, SectorIdentity id);

    Row rows[TRACK_COUNT];
    // By R first: the few sector numbers of ordinary tracks share pages.
    Slot slots[SECTOR_NUMBERS][TRACK_COUNT];
};

#endif
