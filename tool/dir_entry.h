// DirEntry, one 16-byte directory record:
//   0x00 name[6]   ends at the first 0 byte; 0xFF first ends the directory
//   0x06 unused[6]
//   0x0C start track, 0x0D start sector, 0x0E end track, 0x0F end sector
#ifndef TOOL_DIR_ENTRY_H
#define TOOL_DIR_ENTRY_H

#include <cstdint>
#include <cstdio>

inline constexpr std::int32_t DIR_ENTRY_SIZE = 16;
inline constexpr std::int32_t DIR_NAME_SIZE = 6;
inline constexpr std::int32_t DIR_START_TRACK_OFFSET = 0x0C;
inline constexpr std::int32_t DIR_START_SECTOR_OFFSET = 0x0D;
inline constexpr std::int32_t DIR_END_TRACK_OFFSET = 0x0E;
inline constexpr std::int32_t DIR_END_SECTOR_OFFSET = 0x0F;
inline constexpr std::uint8_t DIR_END_MARK = 0xFF;

inline constexpr std::int32_t DATA_SECTORS_PER_TRACK = 5;
inline constexpr std::int32_t DATA_SECTOR_SIZE = 1024;
inline constexpr std::int32_t DATA_SIZE_CODE = 3;
inline constexpr std::int32_t DATA_FIRST_SECTOR = 1;

// The directory: 128 entries in sectors 1 and 2 of track index 1.
inline constexpr std::int32_t DIRECTORY_TRACK = 1;
inline constexpr std::int32_t DIRECTORY_SIZE = 2 * DATA_SECTOR_SIZE;

struct DirEntry {
    char name[DIR_NAME_SIZE + 1];
    std::uint8_t startTrack;
    std::uint8_t startSector;
    std::uint8_t endTrack;
    std::uint8_t endSector;
};

inline bool isDirectoryEnd(const std::uint8_t* bytes) { return bytes[0] == DIR_END_MARK; }

DirEntry readDirEntry(const std::uint8_t* bytes);

// Every sector from start to end inclusive, five to a track. Negative when
// the end lies before the start, which no file can be.
std::int32_t dirEntrySize(const DirEntry& entry);

// 6 name bytes, 48 of the rest, 4 more for a negative size, the newline and
// the terminating 0.
inline constexpr std::int32_t LISTING_LINE_SIZE = 64;

// "NAME     START:tt ss    END:tt ss   SIZE:ssss" and a newline, the name
// as names go out (see setNamesUtf8).
void printListingLine(std::FILE* out, const DirEntry& entry);

#endif
