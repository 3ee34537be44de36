// SectorMemo: where recently looked-up sectors of each track of the selected
// disk were found (or that they were not), so that a run over tracks already
// visited does not walk them again. Each track keeps its last MEMO_SLOTS
// lookups, enough for every sector of an ordinary track.
#ifndef D88_SECTOR_MEMO_H
#define D88_SECTOR_MEMO_H

#include <cstdint>

#include "d88/d88_format.h"
#include "d88/track_index.h"

inline constexpr int MEMO_SLOTS = 16;

// Where a sector's data lies; dataSize -1 when the track has no such sector.
struct SectorPlace {
    std::int64_t dataOffset = 0;
    std::int32_t dataSize = -1;
};

class SectorMemo {
public:
    void forget();
    // True and `place` filled when (track, id) was looked up since forget().
    // track must lie in 0..TRACK_COUNT-1.
    bool recall(std::int32_t track, SectorIdentity id, SectorPlace& place) const;
    void remember(std::int32_t track, SectorIdentity id, const SectorPlace& place);

private:
    struct Slot {
        SectorPlace place;
        SectorIdentity id = 0;
        // A slot holds a lookup only when it was written in this generation,
        // so forget() need not clear every slot of every track.
        std::uint32_t generation = 0;
    };
    Slot slots[TRACK_COUNT][MEMO_SLOTS];
    std::uint32_t generation = 1;
    // The slot each track overwrites next, oldest first.
    std::uint8_t nextSlot[TRACK_COUNT] = {};
};

#endif
