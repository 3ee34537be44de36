#include "d88/header_sweep.h"

#include "d88/d88_format.h"
#include "d88/track_walk.h"

void sweepHeaders(ReadBuffer& buffer, const std::int64_t* starts, std::int32_t count, HeaderCache& cache) {
    TrackWalk cursors[TRACK_COUNT];
    if (count > TRACK_COUNT) {
        count = TRACK_COUNT;
    }
    for (std::int32_t k = 0; k < count; ++k) {
        cursors[k].position = starts[k];
    }
    std::int32_t budget = SWEEP_HEADER_BUDGET;
    std::int32_t visits = 0;
    std::int32_t blocks = 0;
    while (budget > 0 && visits < SWEEP_VISIT_LIMIT) {
        const std::int32_t found = SWEEP_HEADER_BUDGET - budget;
        if (blocks >= SWEEP_TRIAL_BLOCKS && found < SWEEP_HEADERS_PER_BLOCK * blocks) {
            return;
        }
        // The block starts at the hindmost cursor: every cursor only moves
        // forward, so the blocks do too.
        std::int64_t from = -1;
        for (std::int32_t k = 0; k < count; ++k) {
            if (!cursors[k].ended && (from < 0 || cursors[k].position < from)) {
                from = cursors[k].position;
            }
        }
        if (from < 0) {
            return;
        }
        std::int32_t length = 0;
        const std::uint8_t* bytes = buffer.block(from, length);
        ++blocks;
        const std::int64_t end = from + length;
        for (std::int32_t k = 0; k < count; ++k) {
            TrackWalk& cursor = cursors[k];
            while (!cursor.ended && cursor.position >= from && cursor.position + SECTOR_HEADER_SIZE <= end
                   && budget > 0 && visits < SWEEP_VISIT_LIMIT) {
                ++visits;
                const HeaderFields fields = decodeHeader(bytes + (cursor.position - from));
                // Every header, not only those reached by a leap: after a leap
                // found in the cache the walk holds no block around it.
                // Walks that have met share their headers: only new ones count.
                if (cache.remember(cursor.position, fields)) {
                    --budget;
                }
                passRecord(cursor, fields);
            }
        }
        // A short block is the end of the file: no header beyond it can be
        // read whole.
        if (length < READ_BUFFER_SIZE) {
            return;
        }
    }
}
