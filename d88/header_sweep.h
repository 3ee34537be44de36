// sweepHeaders: walks every track of a disk at once, in one forward pass
// over the file, putting the far-off headers they meet into a HeaderCache.
//
// When records leap ahead, each walk reads its headers one seek at a time,
// scattered over the rest of the file. Walked together, the tracks' cursors
// move forward through the same blocks, so the headers of all of them cost
// about one sequential read of the file; the walks themselves then find
// them in the cache. Each cursor stops where the walk would: at a header
// that cannot be read whole, at the record whose count it carries, or after
// MAX_TRACK_RECORDS records.
#ifndef D88_HEADER_SWEEP_H
#define D88_HEADER_SWEEP_H

#include <cstdint>
#include <cstdio>

#include "d88/header_cache.h"
#include "d88/read_buffer.h"

// At most this many headers are remembered in one sweep: more would only
// displace those remembered first.
inline constexpr std::int32_t SWEEP_HEADER_BUDGET = HEADER_CACHE_ENTRIES / 4 * 3;

// A sweep is cut short where it stops paying for itself: after more than
// this many headers visited (walks that have met visit theirs again)...
inline constexpr std::int32_t SWEEP_VISIT_LIMIT = 2 * HEADER_CACHE_ENTRIES;
// ...or, after the first SWEEP_TRIAL_BLOCKS blocks, once it has found fewer
// new headers than SWEEP_HEADERS_PER_BLOCK per block read: a few cursors
// leaping through a long file would read all of it for a handful of
// headers, each cheaper read on its own.
inline constexpr std::int32_t SWEEP_TRIAL_BLOCKS = 16;
inline constexpr std::int32_t SWEEP_HEADERS_PER_BLOCK = 8;

// `starts` holds `count` (at most TRACK_COUNT) offsets of first records.
void sweepHeaders(ReadBuffer& buffer, std::FILE* file, const std::int64_t* starts, std::int32_t count,
                  HeaderCache& cache);

#endif
