#include "d88/sector_memo.h"

namespace {

constexpr int R_SHIFT = 16;
constexpr SectorIdentity R_MASK = SectorIdentity{0xFF} << R_SHIFT;

SectorIdentity familyOf(SectorIdentity id) { return id & ~R_MASK; }
int sectorNumberOf(SectorIdentity id) { return static_cast<int>((id & R_MASK) >> R_SHIFT); }

}  // namespace

void SectorMemo::forget() {
    for (Row& row : rows) {
        row = Row{};
    }
}

bool SectorMemo::holdsFamily(std::int32_t track, std::int64_t start, SectorIdentity id) const {
    const Row& row = rows[track];
    return row.start == start && row.family == familyOf(id);
}

bool SectorMemo::recall(std::int32_t track, std::int64_t start, SectorIdentity id, SectorPlace& place) const {
    const int r = sectorNumberOf(id);
    if (!holdsFamily(track, start, id) || (rows[track].known[r / 64] >> (r % 64) & 1) == 0) {
        return false;
    }
    place.dataOffset = slots[r][track].dataOffset;
    place.dataSize = slots[r][track].dataSize;
    return true;
}

SectorMemo::Row& SectorMemo::rowFor(std::int32_t track, std::int64_t start, SectorIdentity id) {
    Row& row = rows[track];
    if (!holdsFamily(track, start, id)) {
        row = Row{};
        row.start = start;
        row.family = familyOf(id);
    }
    return row;
}

void SectorMemo::remember(std::int32_t track, std::int64_t start, SectorIdentity id, const SectorPlace& place) {
    Row& row = rowFor(track, start, id);
    const int r = sectorNumberOf(id);
    slots[r][track] = {place.dataOffset, place.dataSize};
    row.known[r / 64] |= std::uint64_t{1} << (r % 64);
}

void SectorMemo::rememberEveryR(std::int32_t track, std::int64_t start, SectorIdentity id,
                                const TrackIndex& index) {
    Row& row = rowFor(track, start, id);
    const SectorIdentity family = familyOf(id);
    for (int r = 0; r < SECTOR_NUMBERS; ++r) {
        const std::int32_t record = index.find(family | static_cast<SectorIdentity>(r) << R_SHIFT);
        slots[r][track] = record >= 0 ? Slot{index.dataOffset(record), index.dataSize(record)} : Slot{0, -1};
    }
    for (std::uint64_t& word : row.known) {
        word = ~std::uint64_t{0};
    }
}
