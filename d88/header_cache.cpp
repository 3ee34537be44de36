#include "d88/header_cache.h"

#include <cstring>

namespace {

constexpr std::uint64_t SLOT_MASK = HEADER_CACHE_ENTRIES - 1;
// Tags take 16 bits: offsets reach at most 2^(HEADER_CACHE_BITS + 16) - 2
// before they would collide with the empty tag.
constexpr std::int64_t OFFSET_LIMIT = (std::int64_t{1} << (HEADER_CACHE_BITS + 16)) - 1;

}  // namespace

void HeaderCache::forget() {
    // A file that was never walked far leaves the table untouched, and its
    // pages unmapped.
    if (used) {
        std::memset(tags, 0xFF, sizeof tags);
        used = false;
    }
}

bool HeaderCache::recall(std::int64_t offset, HeaderFields& fields) const {
    if (!used || offset < 0 || offset >= OFFSET_LIMIT) {
        return false;
    }
    const auto value = static_cast<std::uint64_t>(offset);
    const std::size_t slot = value & SLOT_MASK;
    if (tags[slot] != static_cast<std::uint16_t>(value >> HEADER_CACHE_BITS)) {
        return false;
    }
    fields = entries[slot];
    return true;
}

void HeaderCache::remember(std::int64_t offset, const HeaderFields& fields) {
    if (offset < 0 || offset >= OFFSET_LIMIT) {
        return;
    }
    if (!used) {
        std::memset(tags, 0xFF, sizeof tags);
        used = true;
    }
    const auto value = static_cast<std::uint64_t>(offset);
    const std::size_t slot = value & SLOT_MASK;
    tags[slot] = static_cast<std::uint16_t>(value >> HEADER_CACHE_BITS);
    entries[slot] = fields;
}
