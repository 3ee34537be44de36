// The record identities of one track as d88info shows them, on the page
// and in the JSON document alike.
#ifndef TOOL_D88INFO_TRACK_IDS_H
#define TOOL_D88INFO_TRACK_IDS_H

#include <cstdint>

#include "d88/d88_image.h"

// Records counted per track. Real tracks hold a few dozen; the cap keeps a
// crafted track (a count of 65535, or of 0, which never ends) cheap.
inline constexpr std::int32_t COUNTED_RECORDS = 256;

struct TrackIds {
    // C H R N of each record in file order; room for one record more than
    // counted, to tell a track of exactly COUNTED_RECORDS from a longer one.
    std::uint8_t bytes[(COUNTED_RECORDS + 1) * TRACK_ID_SIZE];
    // At most COUNTED_RECORDS.
    std::int32_t count = 0;
    // The track holds more records than counted.
    bool capped = false;

    const std::uint8_t* id(std::int32_t record) const { return bytes + TRACK_ID_SIZE * record; }
};

// Reads the identities of the selected disk's `track`, which starts at
// `offset`, into `ids`; false for a track outside the disk, which the reader
// refuses and so has no records to count.
bool readCountedTrackIds(D88Image& image, std::int32_t track, std::int32_t offset, TrackIds& ids);

#endif
