#include "d88/track_index.h"

#include <cstring>

#include "d88/d88_format.h"
#include "d88/tuning.h"

namespace {

constexpr int RADIX_BITS = 8;
constexpr int RADIX_VALUES = 1 << RADIX_BITS;
constexpr int IDENTITY_BYTES = 4;

}  // namespace

void TrackIndex::build(ReadBuffer& buffer, std::int64_t start, HeaderCache* cache) {
    trackStart = start;
    count = 0;
    findable = -1;
    dataBefore[0] = 0;
    TrackWalk walk;
    walk.position = start;
    // A header the walk leaps to (its first, or one a record's data carried
    // it far to) is worth a lookup in the cache, and so are the few that go
    // on from one found there; a longer run is cheaper read from the block,
    // which finds in the cache leave elsewhere.
    bool leapt = true;
    std::int32_t cachedRun = 0;
    while (!walk.ended) {
        HeaderFields fields;
        if (leapt) {
            cachedRun = 0;
        }
        const bool leap = cache != nullptr && cachedRun < WALK_CACHED_RUN
                          && buffer.jumps(walk.position, SECTOR_HEADER_SIZE);
        if (leap && cache->recall(walk.position, fields)) {
            ++cachedRun;
        } else {
            const std::uint8_t* header = buffer.view(walk.position, SECTOR_HEADER_SIZE, start);
            if (header == nullptr) {
                break;
            }
            fields = decodeHeader(header);
            if (leap) {
                cache->remember(walk.position, fields);
            }
        }
        identities[count] = fields.identity;
        dataBefore[count + 1] = dataBefore[count] + fields.dataSize;
        if (fields.sectorCount == 0 && findable < 0) {
            findable = count;
        }
        ++count;
        leapt = SECTOR_HEADER_SIZE + fields.dataSize > READ_PROBE_SIZE;
        passRecord(walk, fields);
    }
    if (findable < 0) {
        findable = count;
    }
    sortFindable();
}

void TrackIndex::sortFindable() {
    // A stable radix sort, one identity byte per pass from the lowest: no
    // comparison sort, so no input can make it slower than linear.
    if (findable == 0) {
        return;
    }
    std::int32_t histograms[IDENTITY_BYTES][RADIX_VALUES] = {};
    for (std::int32_t i = 0; i < findable; ++i) {
        order[i] = static_cast<std::uint16_t>(i);
        for (int b = 0; b < IDENTITY_BYTES; ++b) {
            ++histograms[b][(identities[i] >> (RADIX_BITS * b)) & (RADIX_VALUES - 1)];
        }
    }
    for (int b = 0; b < IDENTITY_BYTES; ++b) {
        std::int32_t* histogram = histograms[b];
        const int shift = RADIX_BITS * b;
        // A byte all records share (C, H and N on most tracks) orders nothing.
        if (histogram[(identities[0] >> shift) & (RADIX_VALUES - 1)] == findable) {
            continue;
        }
        std::int32_t next = 0;
        for (int v = 0; v < RADIX_VALUES; ++v) {
            const std::int32_t here = histogram[v];
            histogram[v] = next;
            next += here;
        }
        for (std::int32_t i = 0; i < findable; ++i) {
            const std::uint16_t record = order[i];
            sortScratch[histogram[(identities[record] >> shift) & (RADIX_VALUES - 1)]++] = record;
        }
        std::memcpy(order, sortScratch, sizeof order[0] * static_cast<std::size_t>(findable));
    }
}

std::int32_t TrackIndex::find(SectorIdentity id) const {
    std::int32_t low = 0;
    std::int32_t high = findable;
    while (low < high) {
        const std::int32_t middle = low + (high - low) / 2;
        if (identities[order[middle]] < id) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < findable && identities[order[low]] == id ? order[low] : -1;
}
