// DirEntry, one 16-byte directory record:
//   0x00 name[6]   ends at the first 0 byte; 0xFF first ends the directory
//   0x06 unused[6]  kept as found; only shown
//   0x0C start track, 0x0D start sector, 0x0E end track, 0x0F end sector
#ifndef TOOL_DISK_DIR_ENTRY_H
#define TOOL_DISK_DIR_ENTRY_H

#include <cstdint>

#include "tool/disk/disk_layout.h"

inline constexpr std::int32_t DIR_ENTRY_SIZE = 16;
inline constexpr std::int32_t DIR_NAME_SIZE = 6;
// Bytes 6 to 11 mean nothing to the programs; d88info --json shows them.
inline constexpr std::int32_t DIR_UNUSED_OFFSET = 0x06;
inline constexpr std::int32_t DIR_UNUSED_SIZE = 6;
inline constexpr std::int32_t DIR_START_TRACK_OFFSET = 0x0C;
inline constexpr std::int32_t DIR_START_SECTOR_OFFSET = 0x0D;
inline constexpr std::int32_t DIR_END_TRACK_OFFSET = 0x0E;
inline constexpr std::int32_t DIR_END_SECTOR_OFFSET = 0x0F;
inline constexpr std::uint8_t DIR_END_MARK = 0xFF;
// The four place bytes stand together: start track and sector, end track
// and sector.
inline constexpr std::int32_t DIR_PLACE_OFFSET = DIR_START_TRACK_OFFSET;
inline constexpr std::int32_t DIR_PLACE_SIZE = 4;
static_assert(DIR_START_SECTOR_OFFSET == DIR_PLACE_OFFSET + 1 && DIR_END_TRACK_OFFSET == DIR_PLACE_OFFSET + 2
              && DIR_END_SECTOR_OFFSET == DIR_PLACE_OFFSET + 3);
static_assert(DIR_NAME_SIZE + DIR_UNUSED_SIZE == DIR_START_TRACK_OFFSET && DIR_UNUSED_OFFSET == DIR_NAME_SIZE);
static_assert(DIRECTORY_ENTRIES * DIR_ENTRY_SIZE == DIRECTORY_SIZE);

// Stand-ins where a directory index (0 to DIRECTORY_ENTRIES - 1) is
// expected, none of them an index or another: a disk's TTLPRG, which comes
// before its entries; the disk's own boot sector and directory; no entry.
inline constexpr std::int32_t TITLE_ENTRY = -1;
inline constexpr std::int32_t SYSTEM_AREA = -2;
inline constexpr std::int32_t NO_ENTRY = -3;

struct DirEntry {
    char name[DIR_NAME_SIZE + 1];
    std::uint8_t startTrack;
    std::uint8_t startSector;
    std::uint8_t endTrack;
    std::uint8_t endSector;
    std::uint8_t unused[DIR_UNUSED_SIZE];
};

inline bool isDirectoryEnd(const std::uint8_t* bytes) { return bytes[0] == DIR_END_MARK; }

DirEntry readDirEntry(const std::uint8_t* bytes);

inline DataSector entryStart(const DirEntry& entry) { return DataSector{entry.startTrack, entry.startSector}; }
inline DataSector entryEnd(const DirEntry& entry) { return DataSector{entry.endTrack, entry.endSector}; }

// The four place bytes of an entry that starts at `start` and ends at `end`
// (tracks and sectors below 256), as they stand from DIR_PLACE_OFFSET.
inline void storeEntryPlace(std::uint8_t* place, DataSector start, DataSector end) {
    place[DIR_START_TRACK_OFFSET - DIR_PLACE_OFFSET] = static_cast<std::uint8_t>(start.track);
    place[DIR_START_SECTOR_OFFSET - DIR_PLACE_OFFSET] = static_cast<std::uint8_t>(start.sector);
    place[DIR_END_TRACK_OFFSET - DIR_PLACE_OFFSET] = static_cast<std::uint8_t>(end.track);
    place[DIR_END_SECTOR_OFFSET - DIR_PLACE_OFFSET] = static_cast<std::uint8_t>(end.sector);
}

// The size rule: every sector from start to end inclusive, five to a track.
// Negative when the end lies before the start, which no file can be.
std::int32_t dirEntrySize(const DirEntry& entry);

#endif
