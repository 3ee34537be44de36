#include "tool/disk/dir_entry.h"

DirEntry readDirEntry(const std::uint8_t* bytes) {
    DirEntry entry{};
    for (std::int32_t i = 0; i < DIR_NAME_SIZE && bytes[i] != 0; ++i) {
        entry.name[i] = static_cast<char>(bytes[i]);
    }
    entry.startTrack = bytes[DIR_START_TRACK_OFFSET];
    entry.startSector = bytes[DIR_START_SECTOR_OFFSET];
    entry.endTrack = bytes[DIR_END_TRACK_OFFSET];
    entry.endSector = bytes[DIR_END_SECTOR_OFFSET];
    for (std::int32_t i = 0; i < DIR_UNUSED_SIZE; ++i) {
        entry.unused[i] = bytes[DIR_UNUSED_OFFSET + i];
    }
    return entry;
}

std::int32_t dirEntrySize(const DirEntry& entry) {
    // A multiplication, not a shift: the count may be negative.
    return (dataSectorOrdinal(entryEnd(entry)) - dataSectorOrdinal(entryStart(entry)) + 1) * DATA_SECTOR_SIZE;
}
