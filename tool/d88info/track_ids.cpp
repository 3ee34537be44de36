#include "tool/d88info/track_ids.h"

bool readCountedTrackIds(D88Image& image, std::int32_t track, std::int32_t offset, TrackIds& ids) {
    ids.count = 0;
    ids.capped = false;
    if (offset < 0 || offset > image.getDiskSize()) {
        return false;
    }
    ids.count = image.readTrackIds(track, ids.bytes, sizeof ids.bytes) / TRACK_ID_SIZE;
    ids.capped = ids.count > COUNTED_RECORDS;
    if (ids.capped) {
        ids.count = COUNTED_RECORDS;
    }
    return true;
}
