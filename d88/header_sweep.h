// sweepHeaders: walks every track of a disk at once, in one forward pass
// over the file, putting the far-off headers they meet into a HeaderCache.
//
// When records leap ahead, each walk reads its headers one seek at a time,
// scattered over the rest of the file. Walked together, the tracks' cursors
// move forward through the same blocks, so the headers of all of them cost
// about one sequential read of the file; the walks themselves then find
// them in the cache. Each cursor stops where the walk would (passRecord),
// or at a header that cannot be read whole. The SWEEP_ limits in tuning.h
// cut a sweep short where it stops paying for itself.
#ifndef D88_HEADER_SWEEP_H
#define D88_HEADER_SWEEP_H

#include <cstdint>

#include "d88/header_cache.h"
#include "d88/read_buffer.h"

// `starts` holds `count` (at most TRACK_COUNT) offsets of first records.
void sweepHeaders(ReadBuffer& buffer, const std::int64_t* starts, std::int32_t count, HeaderCache& cache);

#endif
