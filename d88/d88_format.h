// The D88 container as this reader sees it.
//
//   file       = disk image, disk image, ... (back to back, at most MAX_DISKS
//                are catalogued)
//   disk image = DiskHeader (688 bytes), then track data
//   DiskHeader = name[16] | unused[11] | media type[1] | disk size[4]
//                | track table[TRACK_COUNT * 4]
//   track      = sector record, sector record, ... (no track header; the
//                sector count in every record says how many there are)
//   record     = SectorHeader (16 bytes) | data[data size]
//   SectorHeader = C | H | R | N | sector count[2] | unused[8] | data size[2]
//
// Every multi-byte field is little-endian. Sizes, counts and offsets are held
// in signed 32-bit integers; a track offset counts from the start of its own
// disk image and 0 means "no such track".
#ifndef D88_D88_FORMAT_H
#define D88_D88_FORMAT_H

#include <cstdint>

inline constexpr int MAX_DISKS = 64;
inline constexpr int TRACK_COUNT = 164;

inline constexpr int DISK_HEADER_SIZE = 0x2B0;
inline constexpr int DISK_NAME_OFFSET = 0x00;
inline constexpr int DISK_NAME_SIZE = 16;
inline constexpr int MEDIA_TYPE_OFFSET = 0x1B;
inline constexpr int DISK_SIZE_OFFSET = 0x1C;
inline constexpr int TRACK_TABLE_OFFSET = 0x20;
inline constexpr int TRACK_ENTRY_SIZE = 4;
static_assert(TRACK_TABLE_OFFSET + TRACK_COUNT * TRACK_ENTRY_SIZE == DISK_HEADER_SIZE,
              "the track table ends the disk header");
static_assert(DISK_HEADER_SIZE == 688);

inline constexpr int SECTOR_HEADER_SIZE = 16;
inline constexpr int SECTOR_C_OFFSET = 0x00;
inline constexpr int SECTOR_H_OFFSET = 0x01;
inline constexpr int SECTOR_R_OFFSET = 0x02;
inline constexpr int SECTOR_N_OFFSET = 0x03;
inline constexpr int SECTOR_COUNT_OFFSET = 0x04;
inline constexpr int SECTOR_DATA_SIZE_OFFSET = 0x0E;
// Each of C, H, R and N is one byte: a value beyond it names no record.
inline constexpr int SECTOR_ID_MAX = 0xFF;
// Sector numbers R a header can hold.
inline constexpr int SECTOR_NUMBERS = SECTOR_ID_MAX + 1;
static_assert(SECTOR_DATA_SIZE_OFFSET + 2 == SECTOR_HEADER_SIZE);

// Largest size code whose nominal size 128 << n is still a positive int32.
inline constexpr int MAX_SIZE_CODE = 23;

inline constexpr unsigned readLE16(const std::uint8_t* bytes) {
    return static_cast<unsigned>(bytes[0]) | (static_cast<unsigned>(bytes[1]) << 8);
}

// Assembled unsigned so the shifts are defined, then reinterpreted: fields
// such as the disk size are signed on purpose.
inline constexpr std::int32_t readLE32(const std::uint8_t* bytes) {
    const std::uint32_t value = static_cast<std::uint32_t>(bytes[0])
                                | (static_cast<std::uint32_t>(bytes[1]) << 8)
                                | (static_cast<std::uint32_t>(bytes[2]) << 16)
                                | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return static_cast<std::int32_t>(value);
}

#endif
