// The disk layer (tool/disk): what every program knows of this system's
// disks, and the plan of what d88extract does with one. It uses the reader
// (d88/) and the host layer (tool/host), nothing above them.
//
// Where things lie on this system's disks, in the reader's terms (a track
// index t is cylinder t >> 1, head t & 1; the directory's track numbers are
// track indexes):
//
//   track 0    the boot track: sectors 1 to 16 of 256 bytes (size code 1).
//              Sector 1 is the boot sector; on a boot disk its bytes 1 to 18
//              carry a signature (boot_check.h) and sectors 2 to 16 hold the
//              title program, saved as TTLPRG (3840 bytes).
//   track 1    sectors 1 and 2: the directory, 128 records of 16 bytes
//              (dir_entry.h).
//   tracks 1+  data: sectors 1 to 5 of 1024 bytes (size code 3). A file is
//              the run of sectors from its start to its end: after sector 5
//              of a track comes sector 1 of the next track. Files start on
//              track 2, after the directory's track.
#ifndef TOOL_DISK_DISK_LAYOUT_H
#define TOOL_DISK_DISK_LAYOUT_H

#include <cstdint>

inline constexpr std::int32_t BOOT_TRACK = 0;
inline constexpr std::int32_t BOOT_SIZE_CODE = 1;
inline constexpr std::int32_t BOOT_SECTOR_SIZE = 256;
inline constexpr std::int32_t BOOT_FIRST_SECTOR = 1;
inline constexpr std::int32_t BOOT_LAST_SECTOR = 16;

inline constexpr char TITLE_NAME[] = "TTLPRG";
inline constexpr std::int32_t TITLE_FIRST_SECTOR = 2;
inline constexpr std::int32_t TITLE_SECTOR_COUNT = BOOT_LAST_SECTOR - TITLE_FIRST_SECTOR + 1;
inline constexpr std::int32_t TITLE_SIZE = TITLE_SECTOR_COUNT * BOOT_SECTOR_SIZE;
static_assert(TITLE_SIZE == 3840);

inline constexpr std::int32_t DATA_SIZE_CODE = 3;
inline constexpr std::int32_t DATA_SECTOR_SIZE = 1024;
inline constexpr std::int32_t DATA_FIRST_SECTOR = 1;
inline constexpr std::int32_t DATA_SECTORS_PER_TRACK = 5;
inline constexpr std::int32_t DATA_LAST_SECTOR = DATA_FIRST_SECTOR + DATA_SECTORS_PER_TRACK - 1;
static_assert(DATA_SECTOR_SIZE == 128 << DATA_SIZE_CODE);

inline constexpr std::int32_t DIRECTORY_TRACK = 1;
inline constexpr std::int32_t DIRECTORY_FIRST_SECTOR = 1;
inline constexpr std::int32_t DIRECTORY_SECTOR_COUNT = 2;
inline constexpr std::int32_t DIRECTORY_SIZE = DIRECTORY_SECTOR_COUNT * DATA_SECTOR_SIZE;
inline constexpr std::int32_t DIRECTORY_ENTRIES = 128;

// The first track a file's sectors may be given: the ones before hold the
// boot track and the directory.
inline constexpr std::int32_t FIRST_FILE_TRACK = 2;

constexpr std::int32_t cylinderOf(std::int32_t track) { return track >> 1; }
constexpr std::int32_t headOf(std::int32_t track) { return track & 1; }

// A data sector by its track index and sector number R.
struct DataSector {
    std::int32_t track = 0;
    std::int32_t sector = 0;
};

// The sector a run reads after `at`. As the reader steps: only sector 5
// moves on to the next track, so a run that starts above 5 counts upward.
constexpr DataSector nextDataSector(DataSector at) {
    if (at.sector == DATA_LAST_SECTOR) {
        return DataSector{at.track + 1, DATA_FIRST_SECTOR};
    }
    return DataSector{at.track, at.sector + 1};
}

// Where a sector stands in the order runs go, five to a track; the size
// rule counts a file's sectors by it.
constexpr std::int32_t dataSectorOrdinal(DataSector at) {
    return at.track * DATA_SECTORS_PER_TRACK + at.sector;
}

#endif
