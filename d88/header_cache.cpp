#include "d88/header_cache.h"

#include <cstring>

namespace {

constexpr int SET_BITS = HEADER_CACHE_BITS - 3;
static_assert(HEADER_CACHE_WAYS == 1 << 3, "SET_BITS counts eight ways");
constexpr std::uint64_t SET_MASK = (std::uint64_t{1} << SET_BITS) - 1;
// Tags take 32 bits: any offset beyond is neither remembered nor looked up.
constexpr std::int64_t OFFSET_LIMIT = std::int64_t{1} << (SET_BITS + 31);

// The set of an offset: its low bits scrambled by the bits above them (the
// tag), since leaping walks meet offsets a fixed stride apart whose low bits
// alone would crowd a few sets. The tag still tells the offset apart.
std::size_t setOf(std::uint64_t offset, std::uint32_t tag) {
    constexpr std::uint32_t GOLDEN = 0x9E3779B1U;
    const std::uint64_t mixed = offset ^ ((tag * GOLDEN) >> (32 - SET_BITS));
    return static_cast<std::size_t>(mixed & SET_MASK);
}

}  // namespace

void HeaderCache::clear() {
    for (Set& set : sets) {
        std::memset(set.tags, 0xFF, sizeof set.tags);
    }
}

void HeaderCache::forget() {
    // A file that was never walked far leaves the table untouched, and its
    // pages unmapped.
    if (used) {
        clear();
        used = false;
    }
    missCount = 0;
}

bool HeaderCache::recall(std::int64_t offset, HeaderFields& fields) {
    if (used && offset >= 0 && offset < OFFSET_LIMIT) {
        const auto value = static_cast<std::uint64_t>(offset);
        const auto tag = static_cast<std::uint32_t>(value >> SET_BITS);
        const Set& set = sets[setOf(value, tag)];
        for (int way = 0; way < HEADER_CACHE_WAYS; ++way) {
            if (set.tags[way] == tag) {
                fields = set.fields[way];
                return true;
            }
        }
    }
    ++missCount;
    return false;
}

bool HeaderCache::remember(std::int64_t offset, const HeaderFields& fields) {
    if (missCount < HEADER_CACHE_QUIET_MISSES || offset < 0 || offset >= OFFSET_LIMIT) {
        return false;
    }
    if (!used) {
        clear();
        used = true;
    }
    const auto value = static_cast<std::uint64_t>(offset);
    const auto tag = static_cast<std::uint32_t>(value >> SET_BITS);
    Set& set = sets[setOf(value, tag)];
    int way = 0;
    while (way < HEADER_CACHE_WAYS - 1 && set.tags[way] != tag) {
        ++way;
    }
    const bool added = set.tags[way] != tag;
    // Newest first: the oldest (or the old copy of this header) drops out.
    for (; way > 0; --way) {
        set.tags[way] = set.tags[way - 1];
        set.fields[way] = set.fields[way - 1];
    }
    set.tags[0] = tag;
    set.fields[0] = fields;
    return added;
}
