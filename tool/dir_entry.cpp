#include "tool/dir_entry.h"

#include "tool/messages.h"

DirEntry readDirEntry(const std::uint8_t* bytes) {
    DirEntry entry{};
    for (std::int32_t i = 0; i < DIR_NAME_SIZE && bytes[i] != 0; ++i) {
        entry.name[i] = static_cast<char>(bytes[i]);
    }
    entry.startTrack = bytes[DIR_START_TRACK_OFFSET];
    entry.startSector = bytes[DIR_START_SECTOR_OFFSET];
    entry.endTrack = bytes[DIR_END_TRACK_OFFSET];
    entry.endSector = bytes[DIR_END_SECTOR_OFFSET];
    return entry;
}

std::int32_t dirEntrySize(const DirEntry& entry) {
    const std::int32_t first = entry.startTrack * DATA_SECTORS_PER_TRACK + entry.startSector;
    const std::int32_t last = entry.endTrack * DATA_SECTORS_PER_TRACK + entry.endSector;
    // A multiplication, not a shift: the count may be negative.
    return (last - first + 1) * DATA_SECTOR_SIZE;
}

void printListingLine(std::FILE* out, const DirEntry& entry) {
    // The name is padded by its bytes, which is its width on a Shift_JIS
    // console (a half-width kana one column, a kanji two); a UTF-8 line is
    // converted after padding so that its columns line up the same way.
    // A negative size shows as its 32-bit two's complement.
    char line[LISTING_LINE_SIZE];
    std::snprintf(line, sizeof line, "%-6s   START:%02x %02x    END:%02x %02x   SIZE:%04x\n", entry.name,
                  static_cast<unsigned>(entry.startTrack), static_cast<unsigned>(entry.startSector),
                  static_cast<unsigned>(entry.endTrack), static_cast<unsigned>(entry.endSector),
                  static_cast<unsigned>(dirEntrySize(entry)));
    putText(out, line);
}
