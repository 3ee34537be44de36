#include "d88/track_index.h"

#include <cstring>

#include "d88/d88_format.h"

namespace {

constexpr int RADIX_BITS = 8;
constexpr int RADIX_VALUES = 1 << RADIX_BITS;
constexpr int IDENTITY_BYTES = 4;

}  // namespace

bool TrackIndex::readHeader(ReadBuffer& buffer, std::FILE* file, std::int64_t position, std::int64_t start,
                            HeaderCache* cache, HeaderFields& fields) {
    // Only a leap costs a read of its own; headers in or next to the block
    // are cheaper read there than remembered.
    const bool leap = cache != nullptr && buffer.jumps(position, SECTOR_HEADER_SIZE);
    if (leap && cache->recall(position, fields)) {
        return true;
    }
    const std::uint8_t* header = buffer.view(file, position, SECTOR_HEADER_SIZE, start);
    if (header == nullptr) {
        return false;
    }
    fields.identity = static_cast<std::uint32_t>(readLE32(header + SECTOR_C_OFFSET));
    fields.sectorCount = static_cast<std::uint16_t>(readLE16(header + SECTOR_COUNT_OFFSET));
    fields.dataSize = static_cast<std::uint16_t>(readLE16(header + SECTOR_DATA_SIZE_OFFSET));
    if (leap) {
        cache->remember(position, fields);
    }
    return true;
}

void TrackIndex::build(ReadBuffer& buffer, std::FILE* file, std::int64_t start, HeaderCache* cache) {
    trackStart = start;
    count = 0;
    findable = -1;
    // 64-bit: 65535 records of 65551 bytes reach past 4 GiB from the start.
    std::int64_t position = start;
    while (count < MAX_TRACK_RECORDS) {
        HeaderFields fields{};
        if (!readHeader(buffer, file, position, start, cache, fields)) {
            break;
        }
        const std::int32_t sectorCount = fields.sectorCount;
        const std::uint16_t dataSize = fields.dataSize;
        identities[count] = fields.identity;
        dataSizes[count] = dataSize;
        dataOffsets[count] = position + SECTOR_HEADER_SIZE;
        if (sectorCount == 0 && findable < 0) {
            findable = count;
        }
        position += SECTOR_HEADER_SIZE + dataSize;
        ++count;
        // Each record carries its own count; the one just read decides.
        if (count == sectorCount) {
            break;
        }
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
