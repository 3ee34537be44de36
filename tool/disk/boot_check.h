// Boot disks of this system carry one of two signatures in bytes 1 to 18 of
// their boot sector (track 0, sector 1; see disk_layout.h).
#ifndef TOOL_DISK_BOOT_CHECK_H
#define TOOL_DISK_BOOT_CHECK_H

#include <cstdint>

#include "tool/disk/disk_layout.h"

// Byte 0 of the boot sector, then the 18 signature bytes.
inline constexpr std::int32_t BOOT_CHECK_SIZE = 19;

enum class BootSignature { None, A, B };

// Which signature bytes 1 to 18 of `bootSector` (19 bytes) carry.
BootSignature findBootSignature(const std::uint8_t* bootSector);

#endif
