// HeaderCache: the fields of record headers already read from the open file,
// by file offset, so that walks meeting at a header do not read it again.
//
// Records whose data sizes leap far ahead send the walks of different tracks
// and disks through the same far-off headers; without this every such
// header costs a seek and a read for every walk that reaches it. The table
// is direct-mapped and fixed in size: a newer header simply displaces an
// older one, so lookups and inserts cost the same on any file.
#ifndef D88_HEADER_CACHE_H
#define D88_HEADER_CACHE_H

#include <cstdint>

// 2^18 entries of 10 bytes: about 2.6 MB, while hundreds of thousands of
// headers can be met in a crafted image.
inline constexpr int HEADER_CACHE_BITS = 18;
inline constexpr std::int32_t HEADER_CACHE_ENTRIES = std::int32_t{1} << HEADER_CACHE_BITS;

// What a walk takes from a record header.
struct HeaderFields {
    std::uint32_t identity = 0;
    std::uint16_t sectorCount = 0;
    std::uint16_t dataSize = 0;
};

class HeaderCache {
public:
    // Drops every entry; call when another file is opened.
    void forget();
    // True and `fields` filled when the header at `offset` is held.
    bool recall(std::int64_t offset, HeaderFields& fields) const;
    void remember(std::int64_t offset, const HeaderFields& fields);

private:
    // The offset bits above the slot number. Offsets stay below 2^34
    // (a disk and track offset near 4 GiB plus 65,535 records of 65,551
    // bytes), so a tag fits 16 bits and the all-ones tag is never one.
    static constexpr std::uint16_t EMPTY_TAG = 0xFFFF;

    std::uint16_t tags[HEADER_CACHE_ENTRIES];
    HeaderFields entries[HEADER_CACHE_ENTRIES];
    bool used = false;
};

#endif
