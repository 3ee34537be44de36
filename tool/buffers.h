// The tool's two working buffers. Static and zero-filled at start; the tool
// clears only what it must (see planDisk).
#ifndef TOOL_BUFFERS_H
#define TOOL_BUFFERS_H

#include <cstdint>

// Receives each disk's 19 boot-sector bytes, then its 2048-byte directory.
inline constexpr std::int32_t SECTOR_BUFFER_SIZE = 2048;

// The longest run a directory entry can ask for: from track 0 sector 0 to
// track 255 sector 255 is 255 * 5 + 255 + 1 = 1531 sectors of 1024 bytes.
inline constexpr std::int32_t TRANSFER_BUFFER_SIZE = 1531 * 1024;

extern std::uint8_t sectorBuffer[SECTOR_BUFFER_SIZE];
extern std::uint8_t transferBuffer[TRANSFER_BUFFER_SIZE];

#endif
