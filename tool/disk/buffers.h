// The programs' two working buffers. Static and zero-filled at start; the
// plan clears only what it must (see planDisk).
#ifndef TOOL_DISK_BUFFERS_H
#define TOOL_DISK_BUFFERS_H

#include <cstdint>

#include "tool/disk/disk_layout.h"

// Receives each disk's 19 boot-sector bytes, then its 2048-byte directory.
inline constexpr std::int32_t SECTOR_BUFFER_SIZE = 2048;
static_assert(DIRECTORY_SIZE <= SECTOR_BUFFER_SIZE);

// The longest run a directory entry can ask for: from track 0 sector 0 to
// track 255 sector 255, 1531 sectors.
inline constexpr std::int32_t MAX_RUN_SECTORS =
    dataSectorOrdinal(DataSector{0xFF, 0xFF}) - dataSectorOrdinal(DataSector{0, 0}) + 1;
inline constexpr std::int32_t TRANSFER_BUFFER_SIZE = MAX_RUN_SECTORS * DATA_SECTOR_SIZE;
static_assert(TITLE_SIZE <= TRANSFER_BUFFER_SIZE);

extern std::uint8_t sectorBuffer[SECTOR_BUFFER_SIZE];
extern std::uint8_t transferBuffer[TRANSFER_BUFFER_SIZE];

#endif
